// The run generator: replacement selection over the record buffer, turning
// one test case's key list into the runs of its run_set.
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

#include "generation/record_buffer.h"
#include "runs/run_table.h"

namespace runcheck {

inline constexpr int step_budget = 500;

// What a test case's generation did, for the driver's progress messages: one
// "All freezed." line per melt, then the finishing line when `finished`.
struct generation_result {
  int melts = 0;
  bool finished = false;  // a pass found no key to choose: the finishing message
  std::int32_t read_count = 0;
  std::int32_t write_count = 0;
};

// Sets buffer_size to 5 and every slot to key 0, frozen 1, written 1.
void reset_records(record_buffer& buffer);

// Generates the runs of `keys` (num_keys of them, at least 1) into `set`,
// which must hold no run and have room for a test case's worst case, as
// run_table::open_test_case gives it. Expects the buffer as reset_records
// left it, and leaves in it the slots as the last pass left them.
generation_result generate_runs(std::span<const std::int32_t> keys, record_buffer& buffer,
                                run_set& set);

}  // namespace runcheck
