#include "generation/run_generator.h"

#include <algorithm>
#include <array>

namespace runcheck {

namespace {

// The passes work on the buffer coded as one 64-bit value per slot: key * 8
// + slot index, plus a state offset; the five slots live in five variables. The offsets order the
// states so that the smallest value of the five answers a pass: a candidate below key_ceiling
// (offset 0) is the one find_min_record would choose, the smallest key with
// the lowest index among equal keys; failing one, a candidate at or above
// key_ceiling means the buffer is not wholly frozen; failing that, a frozen
// slot means it is; only empty slots (and slots not in use) mean neither.
constexpr std::int64_t at_ceiling = std::int64_t{1} << 40;
constexpr std::int64_t frozen_slot = std::int64_t{1} << 50;
constexpr std::int64_t empty_slot = std::int64_t{1} << 60;
constexpr std::int64_t not_in_use = std::int64_t{1} << 62;
static_assert(buffer_capacity == 5, "the passes hold one variable a slot");
static_assert(buffer_capacity <= 8, "the slot index takes the code's low three bits");
// Every 32-bit key codes within 2^35 of its state's offset, below half the
// distance to the next offset.
static_assert(at_ceiling / 2 > (std::int64_t{1} << 35));

std::int64_t candidate(std::int32_t key, int slot) {
  const std::int64_t code = std::int64_t{key} * 8 + slot;
  return key < key_ceiling ? code : code + at_ceiling;
}

// A code lies within 2^35 of its state's offset, and the offsets lie far
// apart: a code is in a state at or above an offset when it reaches half of it.
bool at_or_above(std::int64_t code, std::int64_t offset) { return code >= offset / 2; }

std::int64_t offset_of(std::int64_t code) {
  for (const std::int64_t offset : {not_in_use, empty_slot, frozen_slot, at_ceiling}) {
    if (at_or_above(code, offset)) return offset;
  }
  return 0;
}

}  // namespace

generation_result generate_runs(std::span<const std::int32_t> keys, run_set& set) {
  generation_result result;
  // Fewer keys than slots: only as many slots as keys are used.
  const int size = std::min(buffer_capacity, static_cast<int>(keys.size()));

  std::array<std::int64_t, buffer_capacity> code = {not_in_use, not_in_use, not_in_use, not_in_use,
                                                    not_in_use};
  for (int i = 0; i < size; ++i) {
    code[static_cast<std::size_t>(i)] = candidate(keys[static_cast<std::size_t>(i)], i);
  }
  std::int64_t c0 = code[0], c1 = code[1], c2 = code[2], c3 = code[3], c4 = code[4];
  const std::int32_t* next_key = keys.data() + size;
  const std::int32_t* const keys_end = keys.data() + keys.size();

  // Keys go straight to the room behind `set`; a run's end is recorded when
  // the next run opens and when the passes end.
  stored_key* const first_key = set.keys;
  stored_key* out = first_key;
  std::int32_t last_key = -1;
  start_run(set);

  int pass = 0;
  for (; pass < step_budget; ++pass) {
    // Each pass depends on the one before it through the five codes, so they
    // stay in registers: the minimum is taken as a tree, and the chosen slot
    // (the one whose code is the minimum; codes differ by their slot index)
    // is replaced by a select on every slot rather than a store at an index.
    const std::int64_t best = std::min(std::min(std::min(c0, c1), std::min(c2, c3)), c4);
    if (!at_or_above(best, at_ceiling)) {
      // Whether the key is frozen or written goes either way at random, so
      // the pass chooses between the two without a branch: the key is
      // stored either way (there is room) and kept only when written.
      const auto key = static_cast<std::int32_t>(best >> 3);
      const bool freeze = key < last_key;
      // run_start_key <= key < key_ceiling here, which the table's keys hold.
      *out = static_cast<stored_key>(key);
      out += freeze ? 0 : 1;
      last_key = freeze ? last_key : key;
      const bool more = next_key != keys_end;
      const auto i = static_cast<int>(best & 7);
      const std::int64_t refill = more ? candidate(*next_key, i) : best + empty_slot;
      const std::int64_t replaced = freeze ? best + frozen_slot : refill;
      c0 = c0 == best ? replaced : c0;
      c1 = c1 == best ? replaced : c1;
      c2 = c2 == best ? replaced : c2;
      c3 = c3 == best ? replaced : c3;
      c4 = c4 == best ? replaced : c4;
      next_key += (more && !freeze) ? 1 : 0;
    } else if (at_or_above(best, frozen_slot) && !at_or_above(best, empty_slot)) {
      // Wholly frozen: no candidate left, and at least one slot frozen.
      ++result.melts;
      for (std::int64_t* c : {&c0, &c1, &c2, &c3, &c4}) {
        if (offset_of(*c) == frozen_slot) *c -= frozen_slot;
      }
      set.run_end[set.run_count] = static_cast<stored_run_end>(out - first_key);
      start_run(set);
      last_key = -1;
    } else {
      result.finished = true;
      ++pass;
      break;
    }
  }
  set.run_end[set.run_count] = static_cast<stored_run_end>(out - first_key);

  result.steps = pass;
  result.read_count = static_cast<std::int32_t>(next_key - keys.data());
  result.write_count = static_cast<std::int32_t>(out - first_key);
  return result;
}

}  // namespace runcheck
