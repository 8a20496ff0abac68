// The run-file checker: compares the run file, written by the program under
// test in the listing format, with the run table, test case by test case,
// and prints the verdicts.
//
// Per test case it reads the run count with the count read and then as many
// run lines as the file announced, each with the key-line read. Only the
// first L numbers of a line are compared, L being the expected length of the
// run of the same index (0 past the expected runs); a position the line does
// not fill counts as wrong. A wrong count is reported but not corrected for:
// the reading goes on from wherever the file stands. Once the file has ended
// and every remaining run index lies past the expected runs, nothing more can
// be printed for the test case, so no more lines are read for it.
#pragma once

#include <cstdint>

#include "input/reading.h"
#include "input/text_reader.h"
#include "runs/output.h"
#include "runs/run_table.h"

namespace runcheck {

struct check_result {
  std::int32_t passed = 0;  // test cases that passed
  bool all_passed = false;
};

// Prints "Testing test case N........." and its messages and verdict for each
// test case of `table`, then the separator and the overall verdict.
// `line` is the caller's line buffer, reused for every run line.
check_result check_run_file(text_reader& file, const run_table& table, key_line& line, output& out);

}  // namespace runcheck
