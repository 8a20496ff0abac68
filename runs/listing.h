// The run listing, the one text format in which runs are written down: per
// test case a count line, then one line per run with its keys separated by
// exactly one space (an empty line for a run without keys). No header, no
// test-case number, no end marker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/output.h"
#include "runs/run_table.h"

namespace runcheck {

// Room for one run line: at most max_run_keys keys of widest_key_text
// characters with their spaces, and 8 bytes of slack for the formatter's
// last store.
inline constexpr std::size_t widest_key_text = 6;
inline constexpr std::size_t run_line_room = max_run_keys * widest_key_text + 8;

// Writes the run line of `keys` (stored keys of the table), its line break included,
// at `line`, which has run_line_room bytes; gives the end of what it wrote.
char* format_run_line(std::span<const stored_key> keys, char* line);

// Prints one test case's runs in the listing format.
void print_run_set(output& out, const run_set& set);

// Prints every test case of the table, in order, with nothing between them.
void print_listing(output& out, const run_table& table);

}  // namespace runcheck
