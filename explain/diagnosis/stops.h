// What a stop says: the words for a file that does not open, and for the
// test-case file stopping the phase before any run file is checked, with
// the hints the file's first bytes call for.
#pragma once

#include <string>

#include "explain/report/report.h"
#include "generation/expected_runs.h"
#include "platform/platform.h"

namespace runcheck::explain {

// "cannot open "FILE": WHY", WHY a few words for `failure`.
std::string not_opened_text(const std::string& file, platform::open_failure failure);

// The words for a stop of the phase: runcheck's message, or for a test-case
// file that did not open, not_opened_text().
std::string stop_text(const stop& why, const std::string& test_case_file);

// The stop as a report says it: its words, the test-case file's line where
// it applies, and the hints of that file's first bytes (UTF-16, CR line
// ends, nothing but white space, the look of a run file). Reads the file's
// first 4 KiB, and the file up to that line.
stop_report describe_stop(const stop& why, const std::string& test_case_file);

}  // namespace runcheck::explain
