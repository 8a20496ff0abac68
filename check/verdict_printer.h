// runcheck's text for the check: "Testing test case N.........", the
// messages for a wrong count and each wrong run, "....PASSED" or
// "....FAILED" per test case, then the separator and the overall verdict.
#pragma once

#include "check/run_file_checker.h"
#include "runs/output.h"

namespace runcheck {

// Checks `file` against `table` (check_run_file) and prints the verdicts.
check_result print_check(text_reader& file, const run_table& table, key_line& line, output& out);

}  // namespace runcheck
