// The hints: what often goes wrong in a run file, named with the finding
// whose line shows it, in the order a person should read them. Each
// function looks at what a finding holds and nothing else.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "explain/report/report.h"

namespace runcheck::explain {

// A byte order mark of UTF-16, or NUL bytes between the characters: ASCII
// text in UTF-16 is half NUL bytes.
bool looks_like_utf16(std::string_view head);

// What a file's first bytes say of the whole file: UTF-16, or lines that
// end with a carriage return alone.
std::vector<file_hint> hints_of_head(std::string_view head);

// The hints a place's text calls for, added to `hints`: the file ended,
// tabs, commas, carriage returns alone, other bytes. A file that looks like
// UTF-16 (`utf16`) has its own hint, which says why its lines hold other
// bytes.
void add_text_hints(const file_place& at, bool utf16, std::vector<hint>& hints);

// Sets a wrong count's hints: text where the count is due, or more than the
// count on its line, then those of its text.
void set_count_hints(count_finding& count, bool utf16);

// Sets a wrong run's hints: a blank line where a run with keys is due, a
// line cut short by the end of the file, the line at `long_line` (this run's
// or the one before) read in pieces, then those of its text.
void set_run_hints(run_finding& run, std::optional<std::int64_t> long_line, bool utf16);

// Adds a hint on the lines' structure (runs_on_one_line, run_split) to the
// finding it explains: two runs on one line to the count, when it is wrong;
// else to the first wrong run at or after the line's run. Where there is no
// such finding, the hint is not said.
void add_structure_hint(test_case_report& report, const hint& structure);

}  // namespace runcheck::explain
