#include "explain/cli/formats.h"

#include <algorithm>

#include "explain/printers/html_printer.h"
#include "explain/printers/json_printer.h"
#include "explain/printers/text_printer.h"
#include "explain/report/submission.h"
#include "platform/platform.h"

namespace runcheck::explain {

namespace {

template <typename printer>
std::unique_ptr<report_printer> make(output& out, const std::string& /*test_case_file*/) {
  return std::make_unique<printer>(out);
}

template <results_printer::system which>
std::unique_ptr<report_printer> make_results(output& out, const std::string& /*test_case_file*/) {
  return std::make_unique<results_printer>(out, which);
}

std::unique_ptr<report_printer> make_html(output& out, const std::string& test_case_file) {
  return std::make_unique<html_printer>(out, test_case_file);
}

// Writes `text` to `path`; false when it cannot.
bool write_file(const std::string& path, std::string_view text) {
  const platform::file_handle file = platform::create_file(path.c_str());
  if (file == platform::file_handle::none) return false;
  const bool written = platform::write_all(file, text);
  platform::close_file(file);
  return written;
}

// An output validator's messages: one for the judges, one for the team,
// as files in the feedback folder.
bool deliver_kattis(const judge_printer& printer, const std::string& feedback, output& /*out*/,
                    output& err) {
  if (write_file(feedback + "judgemessage.txt", printer.judge().text()) &&
      write_file(feedback + "teammessage.txt", printer.team().text()))
    return true;
  err.put("runcheck-explain: cannot write the messages into ").put(feedback).put("\n");
  return false;
}

// A contest checker's one line, on standard error.
bool deliver_testlib(const judge_printer& printer, const std::string& /*feedback*/, output& /*out*/,
                     output& err) {
  err.put(printer.line()).put("\n");
  return true;
}

// A comparator's outcome on standard output, then the message for the
// contestant on standard error.
bool deliver_cms(const judge_printer& printer, const std::string& /*feedback*/, output& out,
                 output& err) {
  out.put(fraction_text(independent_fraction(printer.summary()))).put("\n");
  err.put(printer.summary().status() == 0 ? std::string("translate:success") : printer.line())
      .put("\n");
  return true;
}

constexpr format_row rows[] = {
    {.id = format::text,
     .name = "text",
     .help = "text (the default)",
     .exits = {0, 1, 2},
     .audience = true,
     .printer = make<text_printer>},
    {.id = format::json,
     .name = "json",
     .help = "json",
     .exits = {0, 1, 2},
     .audience = true,
     .printer = make<json_printer>},
    {.id = format::csv,
     .name = "csv",
     .help = "csv",
     .exits = {0, 1, 2},
     .printer = make<csv_printer>},
    // A failing student is not a failing grader: 0 whenever the results are written.
    {.id = format::gradescope,
     .name = "gradescope",
     .help = "gradescope",
     .exits = {0, 0, 0},
     .takes = form::one_run_file,
     .printer = make_results<results_printer::system::gradescope>},
    {.id = format::junit,
     .name = "junit",
     .help = "junit",
     .exits = {0, 1, 2},
     .printer = make<junit_printer>},
    // 42 accepted, 43 wrong answer; any other status is the judge's error.
    {.id = format::kattis,
     .name = "kattis",
     .help = "kattis",
     .exits = {42, 43, 2},
     .takes = form::judge,
     .arguments = {.names = "INPUT ANSWER FEEDBACK_DIR, the run file on standard input",
                   .run_file = -1,
                   .feedback = 2,
                   .more_allowed = true},
     .deliver = deliver_kattis},
    // 0 accepted, 1 wrong answer, 3 the checker failed (2 would be a
    // presentation error).
    {.id = format::testlib,
     .name = "testlib",
     .help = "testlib",
     .exits = {0, 1, 3},
     .failure = 3,
     .takes = form::judge,
     .arguments = {.names = "INPUT RUN_FILE ANSWER", .run_file = 1},
     .deliver = deliver_testlib},
    // Any status but 0 is the checker's failure, so a wrong answer exits 0.
    {.id = format::cms,
     .name = "cms",
     .help = "cms",
     .exits = {0, 0, 1},
     .takes = form::judge,
     .arguments = {.names = "INPUT ANSWER RUN_FILE", .run_file = 2},
     .deliver = deliver_cms},
    {.id = format::prairielearn,
     .name = "prairielearn",
     .help = "prairielearn",
     .exits = {0, 0, 0},
     .takes = form::one_run_file,
     .printer = make_results<results_printer::system::prairielearn>},
    {.id = format::html,
     .name = "html",
     .help = "html (a page for a browser)",
     .exits = {0, 1, 2},
     .audience = true,
     .printer = make_html},
};

}  // namespace

std::span<const format_row> formats() { return rows; }

const format_row& format_row_of(format f) {
  return *std::find_if(std::begin(rows), std::end(rows),
                       [f](const format_row& row) { return row.id == f; });
}

const format_row* format_named(std::string_view name) {
  const auto* const row = std::find_if(std::begin(rows), std::end(rows),
                                       [name](const format_row& r) { return r.name == name; });
  return row == std::end(rows) ? nullptr : row;
}

std::string spoken_list(std::span<const std::string_view> items) {
  std::string list;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) list += i + 1 == items.size() ? " or " : ", ";
    list += items[i];
  }
  return list;
}

}  // namespace runcheck::explain
