// runcheck-explain's actions for the author of a test-case file:
// --coverage, what a test-case file puts to the test. Each gives the exit
// status.
#pragma once

#include <string>

#include "platform/output.h"

namespace runcheck::explain {

// Reports the coverage of `test_case_file` to `out`, as text or JSON. Gives
// 0 when every faulty program is caught, 1 when one is not, 2 when the file
// cannot be used.
int run_coverage(const std::string& test_case_file, bool json, output& out);

}  // namespace runcheck::explain
