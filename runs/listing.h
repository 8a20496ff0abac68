// The run listing, the one text format in which runs are written down: per
// test case a count line, then one line per run with its keys separated by
// exactly one space (an empty line for a run without keys). No header, no
// test-case number, no end marker.
#pragma once

#include "runs/output.h"
#include "runs/run_table.h"

namespace runcheck {

// Prints one test case's runs in the listing format.
void print_run_set(output& out, const run_set& set);

// Prints every test case of the table, in order, with nothing between them.
void print_listing(output& out, const run_table& table);

}  // namespace runcheck
