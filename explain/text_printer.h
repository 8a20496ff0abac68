// The two printers of runcheck-explain: text for people, one JSON document
// per run file for graders. Both locate the reported offsets in the files
// themselves (line_locator), reading each file once more, front to back.
#pragma once

#include <string_view>

#include "explain/report.h"
#include "runs/output.h"
#include "runs/run_table.h"

namespace runcheck::explain {

// The block of one run file: for each failing test case its wrong count and
// wrong runs, with lines, positions, keys and hints, the note on where the
// file goes out of step; or the stop. `table` is null when the check stopped
// before runs were generated.
void print_text(output& out, const file_report& report, const run_table* table);

// One line: the run file, its verdict and how many test cases passed.
void print_summary(output& out, const file_report& report);

// The report as one JSON document on one line.
void print_json(output& out, const file_report& report, const run_table* table);

// `text` as a quoted JSON string. Bytes that are not valid UTF-8 become
// U+FFFD, so the document is valid whatever a file name holds.
void put_json_string(output& out, std::string_view text);

}  // namespace runcheck::explain
