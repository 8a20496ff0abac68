// What a stop says: the test-case file stopping the phase before any run
// file is checked, in the words of stop_words() (expected_runs.h), with the
// hints the file's first bytes call for.
#pragma once

#include <string>

#include "explain/report/report.h"
#include "generation/expected_runs.h"

namespace runcheck::explain {

// The stop as a report says it: its words, the test-case file's line where
// it applies, and the hints of that file's first bytes (UTF-16, CR line
// ends, nothing but white space, the look of a run file). Reads the file's
// first 4 KiB, and the file up to that line.
stop_report describe_stop(const stop& why, const std::string& test_case_file);

}  // namespace runcheck::explain
