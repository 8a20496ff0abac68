// The record buffer of replacement selection: five slots, each a key and two
// flags. The operations look only at the slots they are given.
//
// Slot states (frozen, written): (0,0) candidate, may go to the current run;
// (1,0) frozen, waits for the next run; (0,1) empty, its key went to a run
// and nothing replaced it; (1,1) reset, not loaded since the last reset.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace runcheck {

inline constexpr int buffer_capacity = 5;

// Keys at or above this value are never chosen by find_min_record.
inline constexpr std::int32_t key_ceiling = 32768;

struct record {
  std::int32_t key = 0;
  std::uint8_t frozen = 1;   // held back for the next run
  std::uint8_t written = 1;  // went to a run, or not loaded since the reset
};

// The driver's buffer, reused by every test case. buffer_size is the number
// of slots in use: buffer_capacity after reset_records, lowered to num_keys by
// generate_runs when a test case has fewer keys.
struct record_buffer {
  std::array<record, buffer_capacity> slots{};
  int buffer_size = buffer_capacity;

  std::span<record> in_use() { return {slots.data(), static_cast<std::size_t>(buffer_size)}; }
};

// The candidate with the smallest key below key_ceiling; among equal keys the
// lowest index wins. Gives -1 when no candidate qualifies.
int find_min_record(std::span<const record> records);

// True when at least one slot is frozen and every slot that is not empty is
// frozen. A buffer with no frozen slot gives false, even when all are empty.
bool all_frozen(std::span<const record> records);

// Turns every frozen slot into a candidate with its key unchanged; other
// slots are not touched.
void melt_records(std::span<record> records);

}  // namespace runcheck
