// runcheck-explain's actions for the author of a test-case file:
// --coverage, what a test-case file puts to the test; --coverage
// --minimize, the fewest of its test cases that catch as much; and
// --make-tests, a file that catches every faulty program, or --extend, the
// author's own file with test cases added that close its gaps. Each gives
// the exit status.
#pragma once

#include <cstdint>
#include <string>

#include "platform/output.h"

namespace runcheck::explain {

// Reports the coverage of `test_case_file` to `out`, as text or JSON. Gives
// 0 when every faulty program is caught, 1 when one is not, 2 when the file
// cannot be used.
int run_coverage(const std::string& test_case_file, bool json, output& out);

// Writes to `out` a smallest subset of the test cases of `test_case_file`
// that catches every faulty program it catches, as a test-case file, in
// their order; says on `err` which it kept. Gives 0; 2, with the coverage
// report on `err`, when the file cannot be used.
int run_minimize(const std::string& test_case_file, output& out, output& err);

// Writes the test-case file made for `seed` to `out`, after checking it
// with the coverage code as --coverage would. Gives 0; 1, with the reason on
// `err`, when the check finds a gap, a rule not exercised or a warning.
int run_make_tests(std::uint64_t seed, output& out, output& err);

// Writes `test_case_file` to `out` with test cases drawn from `seed` added
// after its own, as few as close its gaps, and says on `err` what was
// added. Gives 0 when the file written catches every faulty program, 1 when
// some still pass it, 2 when the file cannot be used or cannot take test
// cases after its last (whose first run is empty).
int run_extend(const std::string& test_case_file, std::uint64_t seed, output& out, output& err);

}  // namespace runcheck::explain
