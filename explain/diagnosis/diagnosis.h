// The diagnosis: turns the checker's findings on one run file into the
// report of report.h, and hands it to a printer test case by test case.
//
// The run file is checked once for the verdicts and the counts, which the
// summary gives first, reading nothing else. Only when a test case fails, a
// run line passes with a warning or a first run is empty is it checked a
// second time, with a second reader trailing the checker: each test case's
// findings get their lines and the text that stands there
// (test_case_lines.h), their hints (hints.h), the explanation of the first
// wrong run (explanation.h, from the test case's keys, read again from the
// test-case file by one more forward reader) and the faulty program whose
// runs they are (recognition.h), and the report goes to the printer as soon
// as the next test case's count says whether the file is still read in step
// (in_step.h). So memory holds one test case's findings, capped (report.h),
// never the file and never the findings of the test cases before.
#pragma once

#include <string>

#include "explain/diagnosis/test_case_file_notes.h"
#include "explain/report/report.h"
#include "generation/expected_runs.h"
#include "input/reading.h"

namespace runcheck::explain {

struct diagnosis_options {
  bool strict = false;  // a warning fails its test case
  // The explained failing test cases keep their runs, expected and read
  // (test_case_report::expected_runs, read_runs), for a printer that draws
  // them.
  bool keep_runs = false;
};

// Checks `run_file` against `expected`, the runs of `test_case_file`, and
// reports it. `line` is the caller's line buffer. Gives the summary.
file_summary report_run_file(const std::string& test_case_file, const std::string& run_file,
                             const expected_runs& expected, const test_case_file_notes& notes,
                             const diagnosis_options& options, key_line& line,
                             report_printer& printer);

// Reports `run_file` as not checked: the test-case file stopped the phase
// before checking, for the reason `why`. Gives the summary.
file_summary report_stopped(const std::string& test_case_file, const std::string& run_file,
                            const stop& why, report_printer& printer);

}  // namespace runcheck::explain
