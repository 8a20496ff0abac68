// What runcheck-explain finds in one run file, as values, and the interface
// through which every printer receives them.
//
// The diagnosis (diagnosis.h) hands a printer one run file at a time: the
// summary first, complete (verdict and counts), then every test case's
// report in file order, then the summary again. A printer formats what it
// is given and finds out nothing by itself.
//
// Numbering: test cases, runs and positions are indices from 0, as in the
// checker's reports; line numbers count from 1, as editors show them, with
// 0 for a read that met the end of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace runcheck::explain {

// Wrong runs reported per test case; the rest are only counted, so a run
// file that announces a huge count cannot make a report grow without bound.
inline constexpr std::size_t max_kept_runs = 20;

// What often goes wrong, named where it shows.
enum class hint {
  file_ends_early,  // the read met the end of the run file
  count_not_alone,  // a count line holds more than one number
  tabs,             // the line holds tabs, and only spaces separate keys
  commas,           // the line holds commas
};

// Where a finding stands in the run file.
struct place {
  std::int64_t line = 0;  // from 1; 0 when the read met the end of the file
  // The line from where the read began up to its line feed (a carriage
  // return before it dropped), at most the 1999 bytes a key-line read takes.
  std::string text;
};

struct count_finding {
  std::int32_t expected = 0;
  std::int32_t found = 0;
  place at;
  std::vector<hint> hints;  // in the order a person should read them
};

struct run_finding {
  std::int64_t run = 0;
  std::int64_t position = 0;  // the first position that differs
  std::int32_t expected = 0;
  std::optional<std::int32_t> found;       // none when the line ended before it
  std::vector<std::int32_t> expected_run;  // every key of the expected run
  place at;
  std::vector<hint> hints;
};

// The test case after which the file is read out of step.
struct shift {
  bool empty_first_run = false;  // its count was right: its empty run lines were skipped
  // The line from which the next test case's count was read; 0 at the end of
  // the file.
  std::int64_t next_count_line = 0;
};

struct test_case_report {
  std::int32_t test_case = 0;
  bool passed = false;
  bool out_of_step = false;            // read after an earlier test case put the file out of step
  std::optional<count_finding> count;  // when the count is wrong
  std::vector<run_finding> runs;       // the first max_kept_runs wrong runs
  std::int64_t more_runs = 0;          // wrong runs past those
  std::optional<shift> shifted;        // this test case put the file out of step
};

// Why a run file could not be checked.
struct stop_report {
  std::string message;
  std::string file;       // the file it concerns
  std::int64_t line = 0;  // from 1; 0 where no line applies
};

struct file_summary {
  std::string test_case_file;
  std::string run_file;
  std::optional<stop_report> stopped;
  std::int32_t passed = 0;
  std::int32_t total = 0;  // test cases checked
  bool looks_like_utf16 = false;

  // The exit status it calls for: 0 every test case passed, 1 one failed,
  // 2 the check could not run.
  int status() const {
    if (stopped) return 2;
    return passed == total ? 0 : 1;
  }
};

class report_printer {
 public:
  virtual void file_begun(const file_summary& summary) = 0;
  virtual void test_case(const file_summary& summary, const test_case_report& report) = 0;
  virtual void file_ended(const file_summary& summary) = 0;

 protected:
  report_printer() = default;
  report_printer(const report_printer&) = default;
  report_printer& operator=(const report_printer&) = default;
  ~report_printer() = default;
};

}  // namespace runcheck::explain
