// In-step tracking: whether each test case's count is read from its own
// count line, so that what the check found in its lines is about its runs.
//
// The first test case is read in step. The next is too when its count is
// read from a line that holds that one number and nothing else, as a count
// line does; or when this one was read in step, the check took its lines as
// it takes those of a file holding the expected listing (its count right,
// no run line read in pieces, no empty run line skipped by its count read;
// or its count read at the end of the file), and the next count read is
// right (as where a count and its first run share a line), stands alone on
// its line (a number or not), or meets the end of the file.
#pragma once

#include <cstdint>
#include <optional>

#include "check/run_file_checker.h"
#include "explain/diagnosis/line_locator.h"
#include "explain/report/report.h"

namespace runcheck::explain {

// True when `at` is a line that holds one number and nothing else (tabs and
// carriage returns after its digits aside).
bool count_line_alone(const located_line& at);

// What the check of one test case did that can put the reading out of step.
struct test_case_reading {
  bool count_wrong = false;
  bool count_too_large = false;  // more run lines read than it has runs
  // Where its count stands: from 1, 0 at the end of the file; located only
  // where the count is wrong or its first run empty.
  std::int64_t count_line = 0;
  // The first run line read in pieces; none when none was.
  std::optional<std::int64_t> cut_line;
  // Its count read skipped the lines of its empty first runs.
  bool swallowed = false;
  // count_too_large: the line of the first run line past its runs; 0 where
  // not kept.
  std::int64_t past_line = 0;
};

class in_step_tracker {
 public:
  // Whether the test case being checked is read in step.
  bool in_step() const { return current_; }

  // The test case being checked is done, its lines taken as the expected
  // listing's bytes.
  void checked_as_listed();

  // The test case being checked is done, with what its check did.
  void checked(const test_case_reading& reading);

  // The next test case's count was read (`next`; none after the last test
  // case): settles whether that test case is read in step, locating the
  // count in `file` where that takes its line. Gives the shift by which the
  // test case checked last put the file out of step, if it did.
  std::optional<shift> next_count(const count_report* next, line_locator& file);

 private:
  bool current_ = true;  // the test case being checked
  // The test case checked last, until the next count is read.
  bool pending_in_step_ = true;
  bool pending_kept_ = true;  // its lines taken as those of the expected listing
  shift pending_shift_;
};

}  // namespace runcheck::explain
