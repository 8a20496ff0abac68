// In-step tracking: whether each test case's count is read from the line
// where its count stands, so that what the check found in its lines is
// about its runs.
//
// The rule: a test case is read in step when runcheck reads its count from
// the line where a file equal to the expected listing, shifted by the slips
// found so far, has it; out of step when it reads it from another line; and
// may be out of step where the rule cannot tell where that line is. The
// first test case is read in step. After a test case whose count stands on
// a known line, the next one's count stands on the first line after its
// block (layout.h): the lines its author wrote for it, found from its count
// line whatever runcheck made of them. Where no block can be found, the
// place is not known, and the test cases after it may be out of step until
// one is read from a line where its expected lines stand exactly: then it is
// back in step. (One read from a line before any its count can stand on,
// such as the line of the count before it, is read out of step all the
// same.) A test case read in step whose lines runcheck took as a
// listing's (its count right, no line read in pieces, no blank line where a
// run with keys is due, no run line that ends early, holds several runs or
// looks like a count) is followed by a count read where its block ends,
// when that count is right and alone on its line; so only after the others
// is the block looked for. A test case so taken whose first run then reads
// like a count line, or from the rest of its count's line, is looked at
// again: what was read as its count may be an extra line.
#pragma once

#include <cstdint>
#include <optional>

#include "check/run_file_checker.h"
#include "explain/diagnosis/line_locator.h"
#include "explain/diagnosis/run_file_lines.h"
#include "explain/report/report.h"
#include "runs/run_table.h"

namespace runcheck::explain {

// What the check of one test case did that bears on the next one's step.
struct test_case_reading {
  std::int64_t count_offset = 0;  // where its count was read
  // Its lines were taken as those of a file holding the expected listing
  // (the in-step rule above says when).
  bool as_listed = true;
  // A wrong run line of it holds a number alone, as a count line does: the
  // next count may stand where runcheck took it as a run.
  bool count_like_run = false;
  // What the note says where it puts the next test case out of step.
  shift cause;
};

class in_step_tracker {
 public:
  explicit in_step_tracker(run_file_lines& lines) : lines_(lines) {}

  // The step of the test case being checked.
  step_state state() const { return state_; }

  // The test case being checked is done: its expected runs (which must
  // outlive the next call of next_count) and what its check did.
  void checked(const run_set& expected, const test_case_reading& reading);

  struct settled {
    // The test case checked last was read in step and the next is not: why.
    std::optional<shift> shifted;
    // The test case checked last, read out of step, has its expected lines
    // exactly where its count stands.
    bool found_again = false;
  };

  // The next test case's count was read (`next`, whose runs are
  // `next_expected`; none after the last test case): settles that test
  // case's step, locating its count in `file` where that takes its line.
  settled next_count(const count_report* next, const run_set* next_expected, line_locator& file);

  // The test case being checked, taken as read in step where its count was
  // read (after a test case taken as listed and a count that is right), had
  // its first run read from the rest of the count's line, or has a wrong
  // first run that looks like a count line: an extra line of the test case
  // before may be what was read as its count (at `count_offset`). Settles its step on the
  // block of the test case before; `expected` are its runs.
  void recheck(std::int64_t count_offset, const run_set& expected);

 private:
  // Whether a test case whose runs are `expected` has its expected lines
  // exactly from `line` on; forgets the lines before it.
  bool lined_up(std::int64_t line, const run_set& expected);

  run_file_lines& lines_;
  step_state state_ = step_state::in_step;
  // Where the count of the test case being checked stands in the shifted
  // listing: where runcheck reads it (in step, its line not yet wanted), on
  // line place_line_ (0: the end of the file), or not known.
  enum class place { where_read, on_line, unknown };
  place place_ = place::where_read;
  bool taken_as_read_ = false;  // the step of the test case being checked was taken as read
  std::int64_t place_line_ = 0;
  // Where it is not known, it still comes after the last count known to
  // stand on a line, one line a test case at least: a count read before
  // that line is read out of step.
  std::int64_t earliest_line_ = 1;
  // The test case checked last.
  run_set expected_;
  test_case_reading reading_;
};

}  // namespace runcheck::explain
