// The likely slips a failing test case's lines show, found from the numbers
// the check read against the expected runs: a run left out, an empty run
// written after the last, one key per line.
#pragma once

#include <cstdint>
#include <vector>

#include "explain/diagnosis/test_case_lines.h"
#include "explain/report/report.h"

namespace runcheck::explain {

// The slips of a test case whose count the check read as `found`, its lines
// read into `lines` and located; each a hint whose `line` is the line
// concerned where it is located (else 0, the finding's own):
// - run_missing, run r: the count is one short and the lines hold runs 0 to
//   r - 1 and then r + 1 on, one line at least; or the count is right and
//   they hold the same up to the last line, which the next test case's
//   count was then due in (where no line shows the shift, the run after
//   them may stand on the next line, read as the next count);
// - empty_last_run: the count is one too many, the lines hold every run,
//   and the line after them is blank;
// - key_per_line: the first run has keys to spare, and each of the first
//   lines read (two at least) holds one number: the next key of the runs.
std::vector<hint> find_slips(const test_case_lines& lines, std::int64_t found);

}  // namespace runcheck::explain
