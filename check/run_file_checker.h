// The run-file checker: compares the run file, written by the program under
// test in the listing format, with the run table, test case by test case,
// and reports what it finds as values to an observer. It prints nothing.
//
// Per test case it reads the run count with the count read and then as many
// run lines as the file announced, each with the key-line read (or, where
// its bytes are exactly the listing's line for its expected run, on those
// bytes, which read the same). Only the first L numbers of a line are
// compared, L being the expected length of the run of the same index (0
// past the expected runs); a position the line does not fill counts as
// wrong. A wrong count is reported but not corrected for: the reading goes
// on from wherever the file stands. Once the file has ended
// and every remaining run index lies past the expected runs, nothing more can
// be reported for the test case, so no more lines are read for it.
//
// Numbering in the reports: test cases, runs and positions count from 0,
// as indices (the run table counts runs from 1: run r of a report is
// run_keys(set, r + 1)). Locations are byte offsets from the start of the
// file (text_reader::offset()); an offset equal to the file's size means the
// read met the end of the file.
#pragma once

#include <cstdint>
#include <optional>

#include "input/reading.h"
#include "input/text_reader.h"
#include "runs/run_table.h"

namespace runcheck {

// The run file that both programs check when no other is named.
inline constexpr const char* default_run_file = "replacement_output.txt";

// The run count read for one test case, right or wrong.
struct count_report {
  std::int32_t test_case = 0;
  std::int32_t expected = 0;    // run_count of the test case's runs
  std::int32_t found = 0;       // the count read; 0 when none could be read
  std::int64_t offset = 0;      // where the count's first non-blank character stands
  std::int64_t end_offset = 0;  // where the count read ended: the first run line's read begins
};

// A run line read number by number: every run line the check reads except
// those taken on their bytes, which are exactly the listing's line of their
// expected run and so read as that run (a line past the expected runs is
// always read number by number).
struct run_line_report {
  std::int32_t test_case = 0;
  std::int64_t run = 0;            // the index the file gives it
  std::int64_t offset = 0;         // where the line's read began
  const key_line* line = nullptr;  // the read; valid during the call only
};

// A run line that differs from the expected run of the same index.
struct run_report {
  std::int32_t test_case = 0;
  std::int64_t run = 0;       // the index the file gives it
  std::int64_t offset = 0;    // where the line's read began
  std::int64_t position = 0;  // first position that differs
  std::int32_t expected = 0;  // the expected key at that position
  // The line's number at that position; none when the line ended before it.
  std::optional<std::int32_t> found;
};

// The end of one test case's check.
struct test_case_verdict {
  std::int32_t test_case = 0;
  bool passed = false;
  std::int64_t run_lines = 0;  // run lines read: the count found, or fewer where the file ended
};

// Receives the findings in file order: for each test case count_read, then
// for each run line read number by number run_line_read, followed by
// wrong_run when it is wrong, then test_case_checked.
class check_observer {
 public:
  virtual void count_read(const count_report& count) = 0;
  virtual void run_line_read(const run_line_report& line) = 0;
  virtual void wrong_run(const run_report& run) = 0;
  virtual void test_case_checked(const test_case_verdict& verdict) = 0;

 protected:
  check_observer() = default;
  check_observer(const check_observer&) = default;
  check_observer& operator=(const check_observer&) = default;
  ~check_observer() = default;
};

struct check_result {
  std::int32_t passed = 0;  // test cases that passed
  bool all_passed = false;
};

// Checks every test case of `table` against `file`, and leaves `file` after
// the last run line read. `line` is the caller's line buffer, reused for
// every run line.
check_result check_run_file(text_reader& file, const run_table& table, key_line& line,
                            check_observer& observer);

// Checks one test case, t (from 0), whose runs are `expected`, reading
// `file` from where it stands: what check_run_file does for each test case
// in turn. Gives true when it passes; leaves `file` after its last run line.
bool check_test_case(text_reader& file, const run_set& expected, std::int32_t t, key_line& line,
                     check_observer& observer);

}  // namespace runcheck
