// The printers of the graders' formats: each formats the report of report.h
// as its system reads it, and nothing more.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "explain/printers/message.h"
#include "explain/report/report.h"
#include "explain/report/submission.h"
#include "platform/output.h"

namespace runcheck::explain {

// A run file's summary on one line: "FILE: PASS, 3 of 3 test cases passed;
// independent score 3 of 3", or why the check could not run.
std::string summary_line(const file_summary& summary);

// CSV (RFC 4180): a header row, then one row per run file: run_file,
// verdict (submission.h's names), passed, failed, total, score (the independent
// score as a fraction), first_failing (the first failing test case from 1,
// empty when none).
class csv_printer final : public report_printer {
 public:
  explicit csv_printer(output& out);

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;

 private:
  output& out_;
  std::int32_t first_failing_ = 0;
};

// An autograder's results.json, for one run file, on one line: Gradescope's
// (score, output, tests[] of name, number, score, max_score, status, output,
// output_format, visibility) or PrairieLearn's (gradable, score, message,
// tests[] of name, points, max_points, message). A test per test case: its
// status is runcheck's verdict, its points the independent score's; the
// messages are the student's (audience.h). At most results_file_cap bytes:
// past room for the tests, the rest are left out with a note, the score
// still counting them.
class results_printer final : public report_printer {
 public:
  enum class system { gradescope, prairielearn };
  results_printer(output& out, system which);
  ~results_printer() override;
  results_printer(const results_printer&) = delete;
  results_printer& operator=(const results_printer&) = delete;

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;

 private:
  struct document;
  output& out_;
  system which_;
  std::unique_ptr<document> document_;
};

// JUnit XML: a testsuites element holding one testsuite per run file, one
// testcase per test case (classname the run file, name "test case N"), a
// failure with the test case's report for each that fails, an error for a
// run file that could not be checked, and the summary in system-out. A run
// file's test cases are kept until its counts are known, up to
// junit_suite_cap bytes; past it they are left out with a note.
class junit_printer final : public report_printer {
 public:
  explicit junit_printer(output& out);

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;
  // Closes the document.
  void all_files_ended() override;

 private:
  output& out_;
  output cases_;  // the current run file's testcase elements
  std::int64_t written_ = 0;
  std::int64_t failures_ = 0;
  std::int64_t left_out_ = 0;
};

inline constexpr std::size_t junit_suite_cap = std::size_t{16} * 1000 * 1000;

}  // namespace runcheck::explain
