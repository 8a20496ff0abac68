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
#include "explain/grading/judges.h"
#include "explain/grading/roster.h"
#include "explain/printers/text_printer.h"
#include "explain/report/audience.h"
#include "explain/report/submission.h"
#include "generation/expected_runs.h"
#include "platform/platform.h"

namespace runcheck::explain {

namespace {

// Grades the run files of `given`, or those of `listed` where a roster is
// given, and hands each report to `printer`. Gives the worst of the files'
// statuses: 0 every test case passed, 1 one failed, 2 a check could not run.
// With `refused`, a test-case file that cannot be used grades nothing: the
// reason goes to `refused` and the status is -1.
int grade(const options& given, roster* listed, report_printer& printer,
          output* refused = nullptr) {
  const std::string& test_case_file = given.files[0];

  // The runs are generated once, for every run file.
  const auto line = std::make_unique<key_line>();
  stop why;
  // Each test case's expected lines are kept for the independent score
  // where more than one run file will use them.
  test_case_file_watcher watcher(listed != nullptr || given.files.size() > 2);
  const std::optional<expected_runs> expected =
      generate_expected_runs(test_case_file.c_str(), *line, &watcher, why);
  test_case_file_notes notes;
  if (expected) notes = watcher.finish(test_case_file, *expected);
  if (!expected && refused != nullptr) {
    refused->put("runcheck-explain: the test-case file ").put(test_case_file);
    refused->put(" cannot be used; nothing is graded\n");
    text_printer says(*refused);
    report_stopped(test_case_file, given.files[1], why, says);
    says.all_files_ended();
    return -1;
  }
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

// A judge's run file given on standard input, as a path the checks read
// (more than once): standard input itself where it can be opened again,
// else a copy in a temporary folder of its own, removed with this object on
// every path out. Nothing goes into the judge's feedback folder, which the
// judge reads and counts.
class standard_input_run_file {
 public:
  standard_input_run_file() : path_(platform::standard_input_path()) {
    if (!path_.empty()) return;
    folder_ = platform::make_temporary_folder();
    if (folder_.empty()) return;
    const std::string copy = folder_ + "/team_output";
    if (copy_standard_input(copy)) path_ = copy;
  }
  ~standard_input_run_file() {
    if (!folder_.empty()) platform::remove_folder(folder_);
  }
  standard_input_run_file(const standard_input_run_file&) = delete;
  standard_input_run_file& operator=(const standard_input_run_file&) = delete;

  // Empty when standard input could be neither opened again nor copied.
  const std::string& path() const { return path_; }

 private:
  // Copies standard input to `path`; false when it cannot (no room, or a
  // limit on the size of the files this program writes).
  static bool copy_standard_input(const std::string& path) {
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

  std::string path_;
  std::string folder_;
};

// A judge's checker: one run file, the verdict in the exit status, the
// messages where the judge reads them, which call the run file "your
// output".
int judge(const options& given, const format_row& row, output& out, output& err) {
  options checked = given;
  judge_call call{.report_file = given.report_file, .appes = given.appes};
  call.feedback = given.feedback_dir;
  if (!call.feedback.empty() && call.feedback.back() != '/' && call.feedback.back() != '\\')
    call.feedback += '/';
  std::optional<standard_input_run_file> on_input;
  if (row.arguments.run_file < 0) {
    on_input.emplace();
    if (on_input->path().empty()) {
      err.put("runcheck-explain: cannot keep the run file read from standard input\n");
      return row.failure;
    }
    checked.files[1] = on_input->path();
  }
  judge_printer printer("your output");
  grade(checked, nullptr, printer);
  if (!row.deliver(printer, call, out, err)) return row.failure;
  // The exits' order: accepted, a wrong answer, the checker's failure.
  return row.exits[static_cast<std::size_t>(judge_outcome_of(printer.summary()))];
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
  const int status =
      grade(given, listed ? &*listed : nullptr, seen, row.unusable_tests_fail ? &err : nullptr);
  if (status < 0) return row.failure;
  seen.all_files_ended();
  return row.exits[static_cast<std::size_t>(status)];
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
      return run_coverage(given.files[0], given.output == format::json, out);
    case options::action::make_tests:
      return run_make_tests(given.seed, out, err);
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
