// The printers of a class's results, a row or a suite per student: CSV for a
// spreadsheet, JUnit XML for CI, and the class summary; and the printer that
// names each run file's student.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "explain/report/report.h"
#include "explain/report/submission.h"
#include "platform/output.h"

namespace runcheck::explain {

// Hands each report on to `printer` with the student of the run file being
// reported in its summary (file_summary::student).
class student_printer final : public report_printer {
 public:
  // The student is given with a run file's file_begun and file_ended, not
  // with each test case's summary, which would copy it for every one.
  explicit student_printer(report_printer& printer) : printer_(printer) {}

  // The student of the next run file.
  void set_student(std::string student) { student_ = std::move(student); }

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;
  void all_files_ended() override { printer_.all_files_ended(); }

 private:
  file_summary named(const file_summary& summary) const;

  report_printer& printer_;
  std::string student_;
};

// CSV (RFC 4180: CR LF after every row, a field quoted where it holds a
// comma, a quote or a line break): a header row, then one row per run file:
// student, run_file, verdict (submission.h's names), total, passed
// (runcheck's count), passed_independently, score (the independent score as
// a fraction), first_failing (the first failing test case from 1, empty
// when none), recognised (the faulty program that explains every failing
// test case, by name, empty when none), warnings (the student's own). A
// text field that a spreadsheet would take for a formula (= + - @ first) is
// written after a quote mark.
class csv_printer final : public report_printer {
 public:
  explicit csv_printer(output& out);

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;

 private:
  output& out_;
  std::string_view row_end_;
  std::int32_t first_failing_ = 0;
  std::int64_t warnings_ = 0;
};

// JUnit XML: a testsuites element holding one testsuite per run file (the
// student a property), one testcase per test case (classname the run file,
// name "test case N", N as wide as the largest so that the names sort), a
// failure with the test case's report for each that fails, the summary in
// system-out. A run file that could not be checked has an errored testcase
// for each test case, so that every suite counts the test cases; one whose
// test-case file cannot be used, one errored "check". A run file's test
// cases are kept until its counts are known, up to junit_suite_cap bytes;
// past it they are left out with a note.
class junit_printer final : public report_printer {
 public:
  explicit junit_printer(output& out);

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;
  // Closes the document.
  void all_files_ended() override;

 private:
  void put_name(output& out, std::int64_t test_case) const;

  output& out_;
  output cases_;   // the current run file's testcase elements
  int width_ = 1;  // the digits of the largest test case number
  std::int64_t written_ = 0;
  std::int64_t failures_ = 0;
  std::int64_t left_out_ = 0;
};

inline constexpr std::size_t junit_suite_cap = std::size_t{16} * 1000 * 1000;

// --format summary: the class in a few lines, after the last run file:
// how many run files each verdict has, then each faulty program recognised
// with the run files it explains, most first.
class summary_printer final : public report_printer {
 public:
  explicit summary_printer(output& out) : out_(out) {}

  void file_begun(const file_summary& /*summary*/) override {}
  void test_case(const file_summary& /*summary*/, const test_case_report& /*report*/) override {}
  void file_ended(const file_summary& summary) override { tally_.add(summary); }
  void all_files_ended() override;

 private:
  output& out_;
  class_tally tally_;
};

}  // namespace runcheck::explain
