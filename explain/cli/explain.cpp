#include "explain/cli/explain.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "explain/authoring/test_authoring.h"
#include "explain/authoring/trace.h"
#include "explain/cli/formats.h"
#include "explain/cli/options.h"
#include "explain/diagnosis/diagnosis.h"
#include "explain/grading/grading_printers.h"
#include "explain/grading/roster.h"
#include "explain/report/audience.h"
#include "explain/report/submission.h"
#include "generation/expected_runs.h"
#include "platform/platform.h"

namespace runcheck::explain {

namespace {

// Grades the run files of `given`, or those of `listed` where a roster is
// given, and hands each report to `printer`. Gives the worst of the files'
// statuses: 0 every test case passed, 1 one failed, 2 a check could not run.
int grade(const options& given, roster* listed, report_printer& printer) {
  const std::string& test_case_file = given.files[0];

  // The runs are generated once, for every run file.
  const auto line = std::make_unique<key_line>();
  stop why;
  test_case_file_watcher watcher;
  const std::optional<expected_runs> expected =
      generate_expected_runs(test_case_file.c_str(), *line, &watcher, why);
  test_case_file_notes notes;
  if (expected) notes = watcher.finish(test_case_file, *expected);
  // The page draws the expected runs, which a student does not see.
  const diagnosis_options options{
      .strict = given.strict,
      .keep_runs = given.output == format::html && given.reader == audience::instructor};

  int status = 0;
  std::size_t next = 1;  // in given.files
  for (std::string run_file;
       listed != nullptr ? listed->next(run_file) : next < given.files.size();) {
    if (listed == nullptr) run_file = given.files[next++];
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

// A judge's checker: one run file, the verdict in the exit status, the
// messages where the judge reads them.
int judge(const options& given, const format_row& row, output& out, output& err) {
  options checked = given;
  std::string feedback = given.feedback_dir;
  if (!feedback.empty() && feedback.back() != '/' && feedback.back() != '\\') feedback += '/';
  if (row.arguments.run_file < 0) {
    // The run file comes on standard input; the checks read it more than
    // once, so it is kept in the feedback folder.
    checked.files[1] = feedback + "team_output";
    if (!copy_standard_input(checked.files[1])) {
      err.put("runcheck-explain: cannot write ").put(checked.files[1]).put("\n");
      return row.failure;
    }
  }
  judge_printer printer;
  int status = grade(checked, nullptr, printer);
  // A run file that cannot be read is the contestant's wrong answer; only a
  // test-case file that cannot be used is the checker's failure.
  const submission_verdict verdict = verdict_of(printer.summary());
  if (verdict == submission_verdict::missing || verdict == submission_verdict::unreadable)
    status = 1;
  if (!row.deliver(printer, feedback, out, err)) return row.failure;
  return row.exits[status];
}

// Grades the run files in the format asked for.
int grade_in_format(const options& given, output& out, output& err) {
  const format_row& row = format_row_of(given.output);
  if (row.takes == form::judge) return judge(given, row, out, err);
  std::optional<roster> listed;
  if (!given.roster.empty()) {
    listed.emplace(given.roster);
    if (!listed->readable()) {
      err.put("runcheck-explain: cannot read the roster \"").put(given.roster).put("\"\n");
      return 2;
    }
  }
  const std::unique_ptr<report_printer> printer = row.printer(out, given.files[0]);
  audience_printer seen(*printer, given.reader);
  const int status = grade(given, listed ? &*listed : nullptr, seen);
  seen.all_files_ended();
  return row.exits[status];
}

// Does what the options ask for; gives the exit status.
int run_action(const options& given, output& out, output& err) {
  switch (given.what) {
    case options::action::help:
      out.put(help());
      return 0;
    case options::action::version:
      out.put("runcheck-explain " RUNCHECK_VERSION "\n");
      return 0;
    case options::action::wrong:
      err.put("runcheck-explain: ").put(given.error).put("\n").put(usage);
      return format_row_of(given.output).failure;
    case options::action::coverage:
      if (given.minimize) return run_minimize(given.files[0], out, err);
      return run_coverage(given.files[0], given.output == format::json, out);
    case options::action::make_tests:
      if (!given.extend.empty()) return run_extend(given.extend, given.seed, out, err);
      return run_make_tests(given.seed, out, err);
    case options::action::stress:
      return run_stress(given.stress, out, err);
    case options::action::trace:
      return print_trace(given.files[0], given.trace, out, err);
    case options::action::grade:
      break;
  }
  return grade_in_format(given, out, err);
}

}  // namespace

int run(std::span<const std::string_view> args, output& out, output& err) {
  const options given = parse_options(args);
  const int status = run_action(given, out, err);
  // A grader must not take a lost report for a verdict.
  out.flush();
  if (out.failed()) {
    err.put("runcheck-explain: the output could not be written\n");
    return format_row_of(given.output).failure;
  }
  return status;
}

}  // namespace runcheck::explain
