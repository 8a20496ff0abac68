// The HTML printer, for people who would rather look: one self-contained
// page for every run file of the call. It loads nothing from anywhere (its
// Content-Security-Policy forbids every load, and it holds no script), so it
// opens in any browser without a network.
//
// The page: a summary table, one row per run file (verdict, runcheck's
// counts, the independent score, test cases with warnings) against its test
// cases (passed, failed, failed read out of step), each failing cell a link
// to that test case's detail; then, per
// run file, its warnings and hints, or why it could not be checked, and its
// failing test cases. A failing test case shows a chart of the expected runs
// (key against position in the output, each run in its own colour and mark
// shape) with the keys read drawn over them and the first wrong key marked,
// the buffer at the step that decides it (five slots, frozen ones marked),
// the text printer's lines for it (the same lines, positions and words) and
// its runs key by key in a table that folds.
//
// Every byte from the files is made valid UTF-8 (encoding.h) and escaped for
// HTML. What goes past a cap below is counted on the page, never dropped
// without a word. Memory holds the summary table (written last, shown
// first) and one test case's report.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "explain/report/report.h"
#include "platform/output.h"

namespace runcheck::explain {

// Failing test cases drawn in full: per run file, and per page.
inline constexpr std::int64_t max_drawn_per_file = 3;
inline constexpr std::int64_t max_drawn_per_page = 60;
// Test cases with findings past those drawn listed with the first lines of
// their text, per run file; the rest are counted.
inline constexpr std::int64_t max_listed_per_file = 10;
inline constexpr std::int64_t max_listed_lines = 6;
// Test cases with a cell of their own in the summary table; past them one
// cell counts those that failed.
inline constexpr std::int32_t max_table_columns = 100;

class html_printer final : public report_printer {
 public:
  // The page names `test_case_file` at its top.
  html_printer(output& out, std::string test_case_file)
      : out_(out), test_case_file_(std::move(test_case_file)) {}

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;
  // Ends the page: the summary table, then the closing tags.
  void all_files_ended() override;

 private:
  void begin_page();

  output& out_;
  std::string test_case_file_;
  bool begun_ = false;
  std::int64_t files_ = 0;    // run files begun
  std::int64_t drawn_ = 0;    // test cases drawn in full on the page
  std::int32_t columns_ = 0;  // test-case columns of the summary table
  output table_;              // the summary table's rows so far
  output cells_;              // the current run file's cells
  std::int64_t failing_ = 0;  // failing test cases of the current run file
  std::int64_t file_drawn_ = 0;
  std::int64_t listed_ = 0;
  std::int64_t not_shown_ = 0;  // failing test cases neither drawn nor listed
  std::int64_t warned_ = 0;     // test cases with warnings
  std::int64_t past_columns_failed_ = 0;
  bool hints_shown_ = false;
  output scratch_;
};

}  // namespace runcheck::explain
