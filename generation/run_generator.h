// The run generator that runcheck runs: replacement selection over the five
// record slots, turning one test case's key list into the runs of its
// run_set, fast. It gives the runs of the reference generator
// (reference_generator.h) with the default rules; tests/generation_test.cpp
// holds the two to that.
//
// Each pass chooses the smallest candidate key below 32768 and writes it to
// the current run, or freezes it when it is below the run's last key (-1 at
// the start of a run). A wholly frozen buffer melts into a new run. The test
// case ends when a pass finds no candidate while the buffer is not wholly
// frozen, or silently after 500 passes, whatever the passes did. So keys
// below -1 are never written, and keys of 32768 or more are never chosen.
#pragma once

#include <cstdint>
#include <span>

#include "runs/limits.h"
#include "runs/run_table.h"

namespace runcheck {

// What a test case's generation did, for the driver's progress messages: one
// "All freezed." line per melt, then the finishing line when `finished`.
struct generation_result {
  int melts = 0;
  bool finished = false;  // a pass found no key to choose: the finishing message
  int steps = 0;          // passes run, the finishing one included; step_budget when it ran out
  std::int32_t read_count = 0;
  std::int32_t write_count = 0;

  bool operator==(const generation_result&) const = default;
};

// Generates the runs of `keys` (num_keys of them, at least 1) into `set`,
// which must hold no run and have room for a test case's worst case, as
// run_table::open_test_case gives it.
generation_result generate_runs(std::span<const std::int32_t> keys, run_set& set);

}  // namespace runcheck
