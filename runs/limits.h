// The limits of replacement selection as both programs run it, and what
// follows from them for what a test case's runs can hold: every other limit
// in the programs is derived from these, and every storage type that depends
// on one says so with a static_assert where it is declared.
#pragma once

#include <cstddef>
#include <cstdint>

namespace runcheck {

// Record slots in the buffer: the buffer_size of the banner.
inline constexpr int buffer_capacity = 5;

// Passes per test case; every pass counts, whether it writes, freezes, melts
// or finds nothing to choose.
inline constexpr int step_budget = 500;

// The last key of a run that has no key yet: a smaller key is frozen
// whenever it is chosen, so it never reaches a run.
inline constexpr std::int32_t run_start_key = -1;

// Keys at or above this value are never chosen, so they never reach a run.
inline constexpr std::int32_t key_ceiling = 32768;

// The keys that can reach a run, lowest_written_key..highest_written_key.
inline constexpr std::int32_t lowest_written_key = run_start_key;
inline constexpr std::int32_t highest_written_key = key_ceiling - 1;
inline constexpr std::size_t written_key_count =
    static_cast<std::size_t>(std::int64_t{highest_written_key} - lowest_written_key + 1);

// A pass writes at most one key, so a test case writes at most this many.
inline constexpr int max_run_keys = step_budget;

// Every run after the first is opened by a melt pass, and a melt needs a
// freezing pass since the run before it opened: at most one new run per two
// passes of the budget.
inline constexpr int max_runs = step_budget / 2 + 1;

static_assert(lowest_written_key < highest_written_key && max_runs >= 1);

}  // namespace runcheck
