#include "explain/cli/formats.h"

#include <algorithm>

#include "explain/grading/class_printers.h"
#include "explain/printers/html_printer.h"
#include "explain/printers/json_printer.h"
#include "explain/printers/text_printer.h"
#include "explain/report/submission.h"
#include "platform/platform.h"

namespace runcheck::explain {

namespace {

template <typename printer>
std::unique_ptr<report_printer> make(output& out, const std::string& /*test_case_file*/,
                                     const results_settings& /*results*/) {
  return std::make_unique<printer>(out);
}

template <results_printer::system which>
std::unique_ptr<report_printer> make_results(output& out, const std::string& /*test_case_file*/,
                                             const results_settings& results) {
  return std::make_unique<results_printer>(out, which, results);
}

std::unique_ptr<report_printer> make_html(output& out, const std::string& test_case_file,
                                          const results_settings& /*results*/) {
  return std::make_unique<html_printer>(out, test_case_file);
}

// An output validator's messages: one for the judges, one for the team,
// as the only files in the feedback folder.
bool deliver_kattis(const judge_printer& printer, const judge_call& call, output& /*out*/,
                    output& err) {
  if (platform::write_text_file(call.feedback + "judgemessage.txt", printer.judge().text()) &&
      platform::write_text_file(call.feedback + "teammessage.txt", printer.team().text()))
    return true;
  err.put("runcheck-explain: cannot write the messages into ").put(call.feedback).put("\n");
  return false;
}

// A contest checker's one line, on standard error, and in the report file
// where one is named.
bool deliver_testlib(const judge_printer& printer, const judge_call& call, output& /*out*/,
                     output& err) {
  const std::string line = printer.line();
  err.put(line).put("\n");
  if (call.report_file.empty() ||
      platform::write_text_file(
          call.report_file, testlib_report(judge_outcome_of(printer.summary()), line, call.appes)))
    return true;
  err.put("runcheck-explain: cannot write the report file ").put(call.report_file).put("\n");
  return false;
}

// A comparator's outcome on standard output, and on standard error the
// message CMS shows, in its stock words; the student's line after it, which
// CMS leaves unread, for a person who runs the comparator by hand.
bool deliver_cms(const judge_printer& printer, const judge_call& /*call*/, output& out,
                 output& err) {
  const std::string outcome = fraction_text(independent_fraction(printer.summary()));
  out.put(outcome).put("\n");
  err.put(cms_message(outcome)).put("\n");
  if (printer.summary().status() != 0) err.put(printer.line()).put("\n");
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
     .notes_on_stderr = true,
     .printer = make<csv_printer>},
    // A failing student is not a failing grader: 0 whenever the results are
    // written. A test-case file that cannot be used writes none, and exits
    // 2: Gradescope then shows the instructor a failed autograder.
    {.id = format::gradescope,
     .name = "gradescope",
     .help = "gradescope",
     .exits = {0, 0, 0},
     .unusable_tests_fail = true,
     .notes_on_stderr = true,
     .takes = form::one_run_file,
     .printer = make_results<results_printer::system::gradescope>},
    {.id = format::junit,
     .name = "junit",
     .help = "junit",
     .exits = {0, 1, 2},
     .notes_on_stderr = true,
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
     .arguments = {.names = "INPUT RUN_FILE ANSWER [REPORT_FILE [-appes]]",
                   .run_file = 1,
                   .report = 3},
     .deliver = deliver_testlib},
    // Any status but 0 is the checker's failure, so a wrong answer exits 0.
    // A task type may add an argument of its own (batch, outputonly).
    {.id = format::cms,
     .name = "cms",
     .help = "cms",
     .exits = {0, 0, 1},
     .takes = form::judge,
     .arguments = {.names = "INPUT ANSWER RUN_FILE", .run_file = 2, .more_allowed = true},
     .deliver = deliver_cms},
    {.id = format::prairielearn,
     .name = "prairielearn",
     .help = "prairielearn",
     .exits = {0, 0, 0},
     .notes_on_stderr = true,
     .takes = form::one_run_file,
     .printer = make_results<results_printer::system::prairielearn>},
    {.id = format::html,
     .name = "html",
     .help = "html (a page for a browser)",
     .exits = {0, 1, 2},
     .audience = true,
     .printer = make_html},
    {.id = format::summary,
     .name = "summary",
     .help = "summary (a class in a few lines)",
     .exits = {0, 1, 2},
     .notes_on_stderr = true,
     .printer = make<summary_printer>},
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
