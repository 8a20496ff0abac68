// runcheck-explain's two actions for the author of a test-case file:
// --coverage, what a test-case file puts to the test, and --make-tests, a
// file that catches every faulty program. Each gives the exit status.
#pragma once

#include <cstdint>
#include <string>

#include "platform/output.h"

namespace runcheck::explain {

// Reports the coverage of `test_case_file` to `out`, as text or JSON. Gives
// 0 when every faulty program is caught, 1 when one is not, 2 when the file
// cannot be used.
int run_coverage(const std::string& test_case_file, bool json, output& out);

// Writes the test-case file made for `seed` to `out`, after checking it
// with the coverage code as --coverage would. Gives 0; 1, with the reason on
// `err`, when the check finds a gap, a rule not exercised or a warning.
int run_make_tests(std::uint64_t seed, output& out, output& err);

}  // namespace runcheck::explain
