// The run table: the expected runs of every test case, kept from generation
// to the end of checking. It grows with what the generator writes: all keys
// in one array of 16-bit values, per run one 16-bit end position, and a small
// record per test case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <span>
#include <type_traits>
#include <utility>

#include "runs/limits.h"

namespace runcheck {

// A test case opens at most max_runs runs and writes at most max_run_keys
// keys, every one from lowest_written_key to highest_written_key: keys are
// kept in 16 bits, and a run's end, a count of the test case's keys, too.
using stored_key = std::int16_t;
using stored_run_end = std::uint16_t;
static_assert(lowest_written_key >= std::numeric_limits<stored_key>::min() &&
              highest_written_key <= std::numeric_limits<stored_key>::max());
static_assert(max_run_keys <= std::numeric_limits<stored_run_end>::max());

// One test case's runs: a view on the stored runs, or, between
// run_table::open_test_case and run_table::close_test_case, on the room where
// the generator writes them. Runs are numbered from 1; the current run is run
// run_count. run_end[0] is 0 and run_end[r] is the number of keys in runs
// 1..r, so run r's keys are keys[run_end[r - 1]] up to keys[run_end[r]].
struct run_set {
  std::int32_t run_count = 0;
  stored_run_end* run_end = nullptr;
  stored_key* keys = nullptr;
};

// The four accessors below sit in the generator's, the listing's and the
// checker's inner loops, so they are defined here, where those loops can
// inline them.

// Opens a new run: run_count grows by 1 and the new run has no key.
// Precondition: run_count < max_runs, on room given by open_test_case.
inline void start_run(run_set& set) {
  ++set.run_count;
  set.run_end[set.run_count] = set.run_end[set.run_count - 1];
}

// Appends key k to the current run. Preconditions: a run is open, the test
// case holds fewer than max_run_keys keys, and k is a key the generator
// writes (lowest_written_key..highest_written_key), so it fits a stored_key.
inline void append_key(run_set& set, std::int32_t k) {
  stored_run_end& end = set.run_end[set.run_count];
  set.keys[end] = static_cast<stored_key>(k);
  ++end;
}

// Length of run r; 0 for any r outside 1..run_count, so a run index taken
// from a file never reads outside the stored runs.
inline std::int32_t run_length(const run_set& set, std::int64_t r) {
  if (r < 1 || r > set.run_count) return 0;
  return set.run_end[r] - set.run_end[r - 1];
}

// The keys of run r, run_length(set, r) of them; empty outside 1..run_count.
inline std::span<const stored_key> run_keys(const run_set& set, std::int64_t r) {
  if (r < 1 || r > set.run_count) return {};
  return {set.keys + set.run_end[r - 1], static_cast<std::size_t>(run_length(set, r))};
}

// An array of trivially copyable values that grows by realloc, so a large
// block moves without being copied or touched where the system can remap it.
// Growth that cannot be had is a value, not an exception.
template <class T>
class growable_array {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  growable_array() = default;
  growable_array(growable_array&& other) noexcept
      : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
    other.data_ = nullptr;
    other.size_ = other.capacity_ = 0;
  }
  growable_array& operator=(growable_array&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    return *this;
  }
  growable_array(const growable_array&) = delete;
  growable_array& operator=(const growable_array&) = delete;
  ~growable_array() { std::free(data_); }

  // Makes room for `more` elements after size() (the room is not
  // initialised); false when the memory cannot be had.
  bool reserve_more(std::size_t more) {
    if (capacity_ - size_ >= more) return true;
    constexpr std::size_t max_count = std::numeric_limits<std::size_t>::max() / 2 / sizeof(T);
    if (more > max_count - size_) return false;
    std::size_t capacity = capacity_ < 1024 ? 1024 : capacity_ * 2;
    if (capacity < size_ + more) capacity = size_ + more;
    void* grown = std::realloc(data_, capacity * sizeof(T));
    if (grown == nullptr) return false;
    data_ = static_cast<T*>(grown);
    capacity_ = capacity;
    return true;
  }

  T* data() const { return data_; }
  std::size_t size() const { return size_; }
  // Precondition: n <= size() + the room last reserved, or n <= size().
  void resize_within_room(std::size_t n) { size_ = n; }

 private:
  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// The runs of every test case generated so far, in test-case order.
class run_table {
 public:
  // The number of test cases stored.
  std::int32_t size() const {
    return starts_.size() == 0 ? 0 : static_cast<std::int32_t>(starts_.size() - 1);
  }

  // Test case t's runs, 0 <= t < size().
  run_set operator[](std::int32_t t) const {
    const test_case_start* s = starts_.data() + t;
    return {static_cast<std::int32_t>(s[1].first_end - s[0].first_end - 1),
            ends_.data() + s[0].first_end, keys_.data() + s[0].first_key};
  }

  // Makes room for the next test case's runs at their worst (max_runs runs,
  // max_run_keys keys) and gives a run_set with no run on that room, for
  // start_run and append_key. Gives nothing when the memory cannot be had.
  std::optional<run_set> open_test_case();

  // Stores the runs written to `set`, the run_set that open_test_case gave
  // last; the test case becomes test case size() - 1.
  void close_test_case(const run_set& set);

  // Forgets every test case stored, keeping the memory for the next ones;
  // the run_sets given so far no longer hold their runs.
  void clear();

 private:
  // Where a test case's run ends and keys begin. Once a test case was opened
  // there is one more record than test cases stored: the last one is where
  // the next test case begins.
  struct test_case_start {
    std::uint64_t first_end = 0;
    std::uint64_t first_key = 0;
  };

  growable_array<stored_key> keys_;
  growable_array<stored_run_end> ends_;
  growable_array<test_case_start> starts_;
};

}  // namespace runcheck
