// The record buffer of replacement selection: slots of a key and two flags,
// and the three operations a pass applies to the slots in use. The
// reference generator (reference_generator.h) runs its passes with them.
//
// Slot states (frozen, written): (0,0) candidate, may go to the current run;
// (1,0) frozen, waits for the next run; (0,1) empty, its key went to a run
// and nothing replaced it; (1,1) reset, not loaded since the last reset.
#pragma once

#include <cstdint>
#include <span>

#include "runs/limits.h"

namespace runcheck {

struct record {
  std::int32_t key = 0;
  std::uint8_t frozen = 1;   // held back for the next run
  std::uint8_t written = 1;  // went to a run, or not loaded since the reset
};

// The candidate with the smallest key below `ceiling`; among equal keys the
// lowest index wins. Gives -1 when no candidate qualifies.
int find_min_record(std::span<const record> records, std::int64_t ceiling = key_ceiling);

// True when at least one slot is frozen and every slot that is not empty is
// frozen. A buffer with no frozen slot gives false, even when all are empty.
bool all_frozen(std::span<const record> records);

// Turns every frozen slot into a candidate with its key unchanged; other
// slots are not touched.
void melt_records(std::span<record> records);

}  // namespace runcheck
