// runcheck-explain --trace: every pass of one test case's generation as a
// table, for a person to hold beside their own program's steps. It reads
// only the test-case file.
#pragma once

#include <cstdint>
#include <string>

#include "platform/output.h"

namespace runcheck::explain {

// Prints the step table of test case `number` (from 1) of `test_case_file`
// to `out`; where that test case cannot be had (a stop of the test-case
// file before it, or a file with fewer test cases) says why on `err`.
// Gives the exit status: 0 printed, 2 not.
int print_trace(const std::string& test_case_file, std::int64_t number, output& out, output& err);

}  // namespace runcheck::explain
