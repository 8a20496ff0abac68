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
#include "explain/grading/class_printers.h"
#include "explain/grading/grading_printers.h"
#include "explain/grading/judges.h"
#include "explain/grading/roster.h"
#include "explain/grading/submissions.h"
#include "explain/printers/text_printer.h"
#include "explain/report/audience.h"
#include "explain/report/submission.h"
#include "generation/expected_runs.h"
#include "platform/platform.h"

namespace runcheck::explain {

namespace {

// The run files of a call, each with its student: named on the command
// line, listed in a roster, or found in a course tool's bulk download.
class class_list {
 public:
  explicit class_list(const options& given) : given_(given) {
    if (!given.roster.empty()) {
      roster_.emplace(given.roster);
      if (!roster_->readable()) error_ = "cannot read the roster \"" + given.roster + "\"";
    } else if (!given.submissions.empty()) {
      found_.emplace();
      if (!read_submissions(given.submissions, *found_))
        error_ = "cannot read the folder \"" + given.submissions + "\"";
    }
  }

  // Why the list cannot be read; empty when it can.
  const std::string& error() const { return error_; }
  // More than one run file may come.
  bool a_class() const { return roster_ || found_ || given_.files.size() > 2; }

  // The next run file; false after the last.
  bool next(class_member& member) {
    if (roster_) return roster_->next(member);
    if (found_) {
      if (next_ >= found_->size()) return false;
      member = std::move((*found_)[next_++]);
      return true;
    }
    if (next_ == 0) next_ = 1;  // past the test-case file
    if (next_ >= given_.files.size()) return false;
    member = {.run_file = given_.files[next_], .student = student_of(given_.files[next_])};
    ++next_;
    return true;
  }

 private:
  const options& given_;
  std::optional<roster> roster_;
  std::optional<std::vector<class_member>> found_;
  std::size_t next_ = 0;
  std::string error_;
};

// Says once, for the instructor, what the test-case file holds that will
// surprise its author; the students' reports leave it out.
void say_test_case_file_notes(output& err, const std::string& file, const expected_runs& expected,
                              const test_case_file_notes& notes) {
  const auto list = [&](bool test_case_file_notes::flagged::*flag, std::string_view says) {
    std::vector<std::int32_t> cases;
    for (const auto& f : notes.test_cases)
      if (f.*flag) cases.push_back(f.test_case + 1);
    if (cases.empty()) return;
    constexpr std::size_t shown = 10;
    err.put("runcheck-explain: note: ")
        .put(file)
        .put(cases.size() == 1 ? ": test case " : ": test cases ");
    for (std::size_t i = 0; i < std::min(cases.size(), shown); ++i)
      err.put(i == 0 ? "" : ", ").put_int(cases[i]);
    if (cases.size() > shown)
      err.put(" and ").put_int(static_cast<std::int64_t>(cases.size() - shown)).put(" more");
    err.put(says).put("\n");
  };
  if (expected.table.size() == 0)
    err.put("runcheck-explain: note: ")
        .put(file)
        .put(" holds no test case, so every run file passes it\n");
  list(&test_case_file_notes::flagged::keys_out_of_range,
       ": keys outside -1..32767, which reach no run");
  list(&test_case_file_notes::flagged::budget_spent,
       ": runs that stop where the 500 passes ran out, keys left unwritten; a program that writes "
       "every key fails them");
  if (notes.text_after_line > 0) {
    err.put("runcheck-explain: note: ").put(file).put(" line ").put_int(notes.text_after_line);
    err.put(": text after the last test case, which is never read\n");
  }
}

// Where grade() says what only the instructor reads, beside the report.
struct instructor_channel {
  // What the test-case file holds that will surprise its author, said once.
  output* notes = nullptr;
  // A test-case file that cannot be used grades nothing: the reason is said
  // here, and the status is -1.
  output* refusal = nullptr;
};

// Grades the run files of `listed` and hands each report to `printer`.
// Gives the worst of the files' statuses: 0 every test case passed, 1 one
// failed, 2 a check could not run (or -1, below).
int grade(const options& given, class_list& listed, report_printer& printer,
          instructor_channel instructor = {}) {
  const std::string& test_case_file = given.files[0];

  // The runs are generated once, for every run file.
  const auto line = std::make_unique<key_line>();
  stop why;
  test_case_file_watcher watcher;
  const std::optional<expected_runs> expected =
      generate_expected_runs(test_case_file.c_str(), *line, &watcher, why);
  test_case_file_notes notes;
  if (expected) notes = watcher.finish(test_case_file, *expected);
  if (instructor.notes != nullptr && expected)
    say_test_case_file_notes(*instructor.notes, test_case_file, *expected, notes);
  if (instructor.refusal != nullptr && !expected) {
    instructor.refusal->put("runcheck-explain: the test-case file ").put(test_case_file);
    instructor.refusal->put(" cannot be used; nothing is graded\n");
    text_printer says(*instructor.refusal);
    report_stopped(test_case_file, given.files.size() > 1 ? given.files[1] : "the run file", why,
                   says);
    says.all_files_ended();
    return -1;
  }
  // The page draws the expected runs, which a student does not see.
  const diagnosis_options options{
      .strict = given.strict,
      .keep_runs = given.output == format::html && given.reader == audience::instructor};

  int status = 0;
  student_printer named(printer);
  for (class_member member; listed.next(member);) {
    named.set_student(member.student);
    file_summary summary;
    if (!member.problem.empty()) {
      // Two run files for one student: neither is checked.
      summary = {.test_case_file = test_case_file,
                 .run_file = member.run_file,
                 .stopped = stop_report{.message = member.problem,
                                        .file = member.run_file,
                                        .failure = platform::open_failure::other,
                                        .several_run_files = true},
                 .total = expected ? expected->table.size() : 0};
      named.file_begun(summary);
      named.file_ended(summary);
    } else if (expected) {
      summary =
          report_run_file(test_case_file, member.run_file, *expected, notes, options, *line, named);
    } else {
      summary = report_stopped(test_case_file, member.run_file, why, named);
    }
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
  class_list one(checked);
  grade(checked, one, printer);
  if (!row.deliver(printer, call, out, err)) return row.failure;
  // The exits' order: accepted, a wrong answer, the checker's failure.
  return row.exits[static_cast<std::size_t>(judge_outcome_of(printer.summary()))];
}

// Grades the run files in the format asked for.
int grade_in_format(const options& given, output& out, output& err) {
  const format_row& row = format_row_of(given.output);
  if (row.takes == form::judge) return judge(given, row, out, err);
  class_list listed(given);
  if (!listed.error().empty()) {
    err.put("runcheck-explain: ").put(listed.error()).put("\n");
    return 2;
  }
  const std::unique_ptr<report_printer> printer = row.printer(out, given.files[0], given.results);
  audience_printer seen(*printer, given.reader);
  const int status = grade(given, listed, seen,
                           {.notes = row.notes_on_stderr ? &err : nullptr,
                            .refusal = row.unusable_tests_fail ? &err : nullptr});
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
