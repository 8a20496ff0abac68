// What runcheck-explain finds in one run file: the checker's findings for
// every test case, kept as values for the printers, or why the check could
// not run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/run_file_checker.h"
#include "driver/expected_runs.h"

namespace runcheck::explain {

// Wrong runs kept per test case; the rest are only counted, so a run file
// that announces a huge count cannot make the report grow without bound.
inline constexpr std::size_t max_kept_runs = 20;

struct test_case_report {
  count_report count;
  bool passed = false;
  std::size_t first_run = 0;  // its wrong runs: file_report::runs from here
  std::size_t kept_runs = 0;
  std::int64_t more_runs = 0;  // wrong runs past the kept ones
};

struct file_report {
  std::string test_case_file;
  std::string run_file;
  std::optional<stop> stopped;
  std::vector<test_case_report> test_cases;
  std::vector<run_report> runs;
  std::int32_t passed = 0;

  // The exit status it calls for: 0 every test case passed, 1 one failed,
  // 2 the check could not run.
  int status() const {
    if (stopped) return 2;
    return passed == static_cast<std::int32_t>(test_cases.size()) ? 0 : 1;
  }
};

// Checks report.run_file against `table`, filling in the findings, or
// report.stopped when the file cannot be opened.
void check_file(const run_table& table, key_line& line, file_report& report);

}  // namespace runcheck::explain
