// The run table: the expected runs of every test case, one fixed-size
// run_set block per test case, kept from generation to the end of checking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

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

// Opens a new run: run_count grows by 1 and the new run's length is set to 0.
// Precondition: run_count < max_runs.
void start_run(run_set& set);

// Appends key k to the current run. Precondition: a run is open and holds
// fewer than max_run_keys keys.
void append_key(run_set& set, std::int32_t k);

// Length of run r; 0 for any r outside 1..max_runs, so a run index taken
// from a file never reads outside the block.
std::int32_t run_length(const run_set& set, std::int64_t r);

// The keys of run r, run_length(set, r) of them; empty outside 1..max_runs.
std::span<const std::int32_t> run_keys(const run_set& set, std::int64_t r);

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
