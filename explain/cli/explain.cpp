#include "explain/cli/explain.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "explain/authoring/test_authoring.h"
#include "explain/authoring/trace.h"
#include "explain/cli/options.h"
#include "explain/diagnosis/diagnosis.h"
#include "explain/grading/grading_printers.h"
#include "explain/printers/html_printer.h"
#include "explain/printers/json_printer.h"
#include "explain/printers/message.h"
#include "explain/printers/text_printer.h"
#include "explain/report/audience.h"
#include "explain/report/submission.h"
#include "generation/expected_runs.h"
#include "input/text_reader.h"
#include "platform/platform.h"

namespace runcheck::explain {

namespace {

// The run files to grade, one at a time: those named on the command line,
// or those a roster names. The roster is read a batch of paths at a time,
// its reader closed in between, so a class of any size takes the memory of
// one batch, and no reader's block stays open beside the run files'.
class run_files {
 public:
  explicit run_files(const options& given) : given_(given) {
    if (given.roster.empty()) return;
    // A path in the roster is taken from the roster's folder.
    const std::size_t slash = given.roster.find_last_of("/\\");
    if (slash != std::string::npos) folder_ = given.roster.substr(0, slash + 1);
    readable_ = fill();
  }

  // The next run file; false after the last.
  bool next(std::string& path) {
    if (given_.roster.empty()) {
      if (next_ >= given_.files.size()) return false;
      path = given_.files[next_++];
      return true;
    }
    if (next_ >= batch_.size() && !(more_ && fill() && !batch_.empty())) return false;
    path = std::move(batch_[next_++]);
    return true;
  }

  // Why the roster could not be read; empty when it was.
  std::string roster_error() const {
    if (given_.roster.empty() || readable_) return {};
    return "cannot read the roster \"" + given_.roster + "\"";
  }

 private:
  // Reads the next batch of paths from where the last one ended. A line
  // holds one path; blank lines and lines starting with # are skipped, and
  // white space at either end dropped.
  bool fill() {
    constexpr std::size_t batch = 1024;
    constexpr std::size_t longest_path = 4096;
    batch_.clear();
    next_ = 0;
    std::optional<text_reader> roster = open_text_file(given_.roster.c_str());
    if (!roster) return false;
    for (std::int64_t skip = read_; skip > 0;) {
      const std::string_view block = roster->buffered();
      if (block.empty()) break;
      const std::size_t n = std::min<std::size_t>(block.size(), static_cast<std::size_t>(skip));
      roster->consume(n);
      skip -= static_cast<std::int64_t>(n);
    }
    while (batch_.size() < batch && !roster->at_end()) {
      std::string line;
      for (int c = roster->get(); c != '\n' && c != text_reader::end_of_file; c = roster->get())
        if (line.size() <= longest_path) line.push_back(static_cast<char>(c));
      const std::size_t first = line.find_first_not_of(" \t\r");
      if (first == std::string::npos || line[first] == '#') continue;
      line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
      const bool absolute =
          line[0] == '/' || line[0] == '\\' || (line.size() > 1 && line[1] == ':');
      batch_.push_back(absolute ? line : folder_ + line);
    }
    more_ = !roster->at_end();
    read_ = roster->offset();
    return true;
  }

  const options& given_;
  std::size_t next_ = 1;  // files[0] is the test-case file; or in batch_
  std::string folder_;
  std::vector<std::string> batch_;
  std::int64_t read_ = 0;  // bytes of the roster read
  bool more_ = false;      // the roster holds more after the batch
  bool readable_ = false;
};

// Grades the run files of `given` and hands each report to `printer`. Gives
// the worst of the files' statuses: 0 every test case passed, 1 one failed,
// 2 a check could not run.
int grade(const options& given, report_printer& printer) {
  const std::string& test_case_file = given.files[0];
  run_files files(given);

  // The runs are generated once, for every run file.
  const auto line = std::make_unique<key_line>();
  stop why;
  // Each test case's expected lines are kept for the independent score
  // where more than one run file will use them.
  test_case_file_watcher watcher(!given.roster.empty() || given.files.size() > 2);
  const std::optional<expected_runs> expected =
      generate_expected_runs(test_case_file.c_str(), *line, &watcher, why);
  test_case_file_notes notes;
  if (expected) notes = watcher.finish(test_case_file, *expected);
  // The page draws the expected runs, which a student does not see.
  const diagnosis_options options{
      .strict = given.strict,
      .keep_runs = given.output == format::html && given.reader == audience::instructor};

  int status = 0;
  for (std::string run_file; files.next(run_file);) {
    const file_summary summary = expected ? report_run_file(test_case_file, run_file, *expected,
                                                            notes, options, *line, printer)
                                          : report_stopped(test_case_file, run_file, why, printer);
    status = std::max(status, summary.status());
  }
  return status;
}

// Copies standard input to `path`, which the checks then read as a file.
bool copy_standard_input(const std::string& path) {
  const platform::file_handle copy = platform::create_file(path.c_str());
  if (copy == platform::file_handle::none) return false;
  std::vector<char> block(1 << 16);
  bool written = true;
  for (std::size_t n = 0; written && (n = platform::read_block(platform::standard_input(),
                                                               block.data(), block.size())) > 0;)
    written = platform::write_all(copy, std::string_view(block.data(), n));
  platform::close_file(copy);
  return written;
}

// Writes `text` to `path`; false when it cannot.
bool write_file(const std::string& path, std::string_view text) {
  const platform::file_handle file = platform::create_file(path.c_str());
  if (file == platform::file_handle::none) return false;
  const bool written = platform::write_all(file, text);
  platform::close_file(file);
  return written;
}

// A judge's checker: one run file, the verdict in the exit status, the
// messages where the judge reads them.
int judge(const options& given, output& out, output& err) {
  options checked = given;
  std::string feedback = given.feedback_dir;
  if (given.output == format::kattis) {
    if (!feedback.empty() && feedback.back() != '/' && feedback.back() != '\\') feedback += '/';
    // The run file comes on standard input; the checks read it more than
    // once, so it is kept in the feedback folder.
    checked.files[1] = feedback + "team_output";
    if (!copy_standard_input(checked.files[1])) {
      err.put("runcheck-explain: cannot write ").put(checked.files[1]).put("\n");
      return exit_status(given.output, 2);
    }
  }
  judge_printer printer;
  int status = grade(checked, printer);
  // A run file that cannot be read is the contestant's wrong answer; only a
  // test-case file that cannot be used is the checker's failure.
  const submission_verdict verdict = verdict_of(printer.summary());
  if (verdict == submission_verdict::missing || verdict == submission_verdict::unreadable)
    status = 1;
  switch (given.output) {
    case format::kattis:
      if (!write_file(feedback + "judgemessage.txt", printer.judge().text()) ||
          !write_file(feedback + "teammessage.txt", printer.team().text())) {
        err.put("runcheck-explain: cannot write the messages into ").put(feedback).put("\n");
        return exit_status(given.output, 2);
      }
      break;
    case format::testlib:
      err.put(printer.line()).put("\n");
      break;
    case format::cms:
      // The outcome, then the message for the contestant.
      out.put(fraction_text(independent_fraction(printer.summary()))).put("\n");
      err.put(status == 0 ? std::string("translate:success") : printer.line()).put("\n");
      // The check could not run: that is the checker's failure.
      if (status == 2) return 1;
      break;
    default:
      break;
  }
  return exit_status(given.output, status);
}

int check(const options& given, output& out, output& err) {
  switch (given.what) {
    case options::action::help:
      out.put(usage).put(help);
      return 0;
    case options::action::version:
      out.put("runcheck-explain " RUNCHECK_VERSION "\n");
      return 0;
    case options::action::wrong:
      err.put("runcheck-explain: ").put(given.error).put("\n").put(usage);
      // For a contest checker 2 is a presentation error; its failure is 3.
      return given.output == format::testlib ? 3 : 2;
    case options::action::coverage:
      return run_coverage(given.files[0], given.output == format::json, out);
    case options::action::make_tests:
      return run_make_tests(given.seed, out, err);
    case options::action::trace:
      return print_trace(given.files[0], given.trace, out, err);
    case options::action::check:
      break;
  }
  if (!given.roster.empty()) {
    const run_files roster(given);
    if (const std::string error = roster.roster_error(); !error.empty()) {
      err.put("runcheck-explain: ").put(error).put("\n");
      return 2;
    }
  }
  // Each format's printer; the report is the same for all.
  int status = 0;
  switch (given.output) {
    case format::text: {
      text_printer text(out);
      audience_printer seen(text, given.reader);
      status = grade(given, seen);
      seen.all_files_ended();
      break;
    }
    case format::json: {
      json_printer json_lines(out);
      audience_printer seen(json_lines, given.reader);
      status = grade(given, seen);
      break;
    }
    case format::csv: {
      csv_printer rows(out);
      status = grade(given, rows);
      break;
    }
    case format::gradescope:
    case format::prairielearn: {
      results_printer results(out, given.output == format::gradescope
                                       ? results_printer::system::gradescope
                                       : results_printer::system::prairielearn);
      status = grade(given, results);
      break;
    }
    case format::junit: {
      junit_printer suites(out);
      status = grade(given, suites);
      suites.all_files_ended();
      break;
    }
    case format::kattis:
    case format::testlib:
    case format::cms:
      return judge(given, out, err);
    case format::html: {
      html_printer page(out, given.files[0]);
      audience_printer seen(page, given.reader);
      status = grade(given, seen);
      seen.all_files_ended();
      break;
    }
  }
  return exit_status(given.output, status);
}

}  // namespace

int run(std::span<const std::string_view> args, output& out, output& err) {
  const options given = parse_options(args);
  const int status = check(given, out, err);
  // A grader must not take a lost report for a verdict.
  out.flush();
  if (out.failed()) {
    err.put("runcheck-explain: the output could not be written\n");
    // For a contest checker 2 is a presentation error; its failure is 3.
    return given.output == format::testlib ? 3 : 2;
  }
  return status;
}

}  // namespace runcheck::explain
