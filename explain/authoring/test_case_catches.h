// What one test case of a file puts to the test on its own, for coverage
// (coverage.h): the rules the right program exercises on it, how runcheck
// reads its right listing, and what each faulty program does on it and
// whether runcheck fails a run file that holds that alone.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "explain/authoring/coverage.h"
#include "explain/diagnosis/variants.h"
#include "generation/run_generator.h"
#include "input/reading.h"
#include "runs/run_table.h"

namespace runcheck::explain {

// How the check reads a right program's listing of one test case from its
// start: whole (the count, then one line per run), unless its first run is
// empty (the count read then skips the empty run lines) or a line is read in
// pieces with more of the listing after it.
struct listing_shape {
  bool empty_first_run = false;
  std::int64_t long_run = -1;  // the first run whose line is read in pieces, from 0
  std::int64_t long_characters = 0;
  bool reads_whole() const { return !empty_first_run && long_run < 0; }
};
listing_shape shape_of(const run_set& runs);

// The rules of coverage.h that the right program exercises on `keys`, whose
// runs and result (generate_runs) are `runs` and `result`, as bits.
std::uint32_t rules_of(std::span<const std::int32_t> keys, const run_set& runs,
                       const generation_result& result);

// Runs in the listing format: a program's runs, which need not fit the run
// table, and the right runs.
std::string listing_of(const run_list& runs);
std::string listing_of(const run_set& runs);

// What a program does on one test case, against the right runs: the same,
// other runs (and which), or it never finishes.
struct outcome {
  comparison how = comparison::same;
  run_list runs;  // differs: the runs it writes
};
outcome play_against(const variant& v, std::span<const std::int32_t> keys, const run_set& runs,
                     const generation_result& result);

// True when the test case whose right runs are `runs` catches a program
// whose outcome on it is `o`: runcheck fails a run file holding what it
// writes for that test case alone, or it never finishes. `line` is the
// caller's line buffer.
bool catches_alone(const outcome& o, const run_set& runs, key_line& line);

}  // namespace runcheck::explain
