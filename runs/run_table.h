// The run table: the expected runs of every test case, one fixed-size
// run_set block per test case, kept from generation to the end of checking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "platform/prefetch.h"

namespace runcheck {

inline constexpr int max_runs = 500;
inline constexpr int max_run_keys = 500;

// One test case's runs, 250501 integers. Runs are numbered from 1: run r's
// length is run_length[r - 1] and its keys are run_keys[r - 1]. The current
// run is run run_count. A block starts zeroed, so a run never opened has
// length 0.
struct run_set {
  std::int32_t run_count;
  std::int32_t run_length[max_runs];
  std::int32_t run_keys[max_runs][max_run_keys];
};
static_assert(sizeof(run_set) == 250501 * sizeof(std::int32_t));

// The four accessors below sit in the generator's and the readers' inner
// loops, so they are defined here, where those loops can inline them.

// Opens a new run: run_count grows by 1 and the new run's length is set to 0.
// Precondition: run_count < max_runs.
inline void start_run(run_set& set) {
  ++set.run_count;
  set.run_length[set.run_count - 1] = 0;
}

// Appends key k to the current run. Precondition: a run is open and holds
// fewer than max_run_keys keys.
inline void append_key(run_set& set, std::int32_t k) {
  std::int32_t& length = set.run_length[set.run_count - 1];
  set.run_keys[set.run_count - 1][length] = k;
  ++length;
}

// Length of run r; 0 for any r outside 1..max_runs, so a run index taken
// from a file never reads outside the block.
inline std::int32_t run_length(const run_set& set, std::int64_t r) {
  if (r < 1 || r > max_runs) return 0;
  return set.run_length[r - 1];
}

// The keys of run r, run_length(set, r) of them; empty outside 1..max_runs.
inline std::span<const std::int32_t> run_keys(const run_set& set, std::int64_t r) {
  if (r < 1 || r > max_runs) return {};
  return {set.run_keys[r - 1], static_cast<std::size_t>(set.run_length[r - 1])};
}

// Hints that run r's keys (r in 1..max_runs) will be read soon. The table is
// far larger than any cache and each run's keys lie 2000 bytes after the
// previous run's, so a reader that goes run by run misses the cache on every
// run. Only the address is computed: the lengths are not read, and a prefetch
// of a page never written is dropped without touching it.
inline void prefetch_run(const run_set& set, std::int64_t r) {
  if (r >= 1 && r <= max_runs) prefetch(set.run_keys[r - 1]);
}

// Hints that the block's count, lengths and first run will be read soon.
inline void prefetch_run_set(const run_set& set) {
  prefetch(&set.run_count);
  prefetch_run(set, 1);
}

// The table for all test cases, allocated in one piece of fresh zeroed pages,
// so the memory touched grows with the runs stored, not with the number of
// test cases.
class run_table {
 public:
  std::int32_t size() const { return size_; }
  run_set& operator[](std::int32_t t) { return sets_.get()[t]; }
  const run_set& operator[](std::int32_t t) const { return sets_.get()[t]; }

 private:
  struct release {
    void operator()(run_set* p) const;
  };
  friend std::optional<run_table> allocate_run_table(std::int32_t num_test_cases);

  std::unique_ptr<run_set, release> sets_;
  std::int32_t size_ = 0;
};

// Gives nothing when num_test_cases is negative or the memory cannot be had.
std::optional<run_table> allocate_run_table(std::int32_t num_test_cases);

}  // namespace runcheck
