// The diagnosis: turns the checker's findings on one run file into the
// report of report.h, once, and hands it to a printer.
//
// The run file is read twice, front to back: once by the checker, whose
// findings are kept as numbers and file offsets, and once more to find the
// line of each finding and the text that stands there, test case by test
// case, as the report is handed on. So memory holds the findings, never the
// file.
#pragma once

#include <string>

#include "explain/report.h"
#include "generation/expected_runs.h"
#include "input/reading.h"
#include "runs/run_table.h"

namespace runcheck::explain {

// Checks `run_file` against `table`, the runs of `test_case_file`, and
// reports it. `line` is the caller's line buffer. Gives the summary.
file_summary report_run_file(const std::string& test_case_file, const std::string& run_file,
                             const run_table& table, key_line& line, report_printer& printer);

// Reports `run_file` as not checked: the test-case file stopped the phase
// before checking, for the reason `why`. Gives the summary.
file_summary report_stopped(const std::string& test_case_file, const std::string& run_file,
                            const stop& why, report_printer& printer);

}  // namespace runcheck::explain
