// Replacement selection pass by pass, as plainly as it reads: the record
// buffer is loaded with the first keys; each pass chooses the smallest
// candidate (find_min_record) and writes it to the current run or, when it
// is below the run's last key, freezes it; a wholly frozen buffer melts
// (melt_records) into a new run; the test case ends when a pass finds
// nothing to choose while the buffer is not wholly frozen, or once the step
// budget is spent.
//
// This is the reference. The fast generator that runcheck runs
// (run_generator.h) must give the same runs (tests/generation_test.cpp), and
// runcheck-explain replays it to say why a run is what it is. Its rules are
// parameters, so that it can also play a program that gets one of them wrong.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "generation/record_buffer.h"
#include "runs/limits.h"

namespace runcheck {

inline constexpr int max_buffer_size = 10;

// The rules a replacement-selection program follows; the defaults are the
// right ones.
struct selection_rules {
  // What becomes of a chosen key equal to the run's last key.
  enum class equal_key {
    written,              // written to the run, as any key not below the last one
    frozen,               // frozen, once the run has a key
    frozen_at_run_start,  // frozen, also at the start of a run, against run_start_key
  };
  // What the step budget counts.
  enum class budget_count {
    passes,  // every pass, whatever it does
    writes,  // the keys written
  };

  int buffer_size = buffer_capacity;  // slots, 1..max_buffer_size
  equal_key equal_keys = equal_key::written;
  int step_budget = runcheck::step_budget;
  budget_count budget_counts = budget_count::passes;
  // A melt sets the last key back to run_start_key; without it, the new run
  // goes on from the key last written to the one before.
  bool last_key_reset_at_melt = true;
  // Fewer keys than slots: the slots past the keys stay in use, holding the
  // key 0 as candidates, instead of the buffer being cut to the keys.
  bool empty_slots_hold_zero = false;
  // The last key of a run that has no key yet, and the key from which keys
  // are never chosen; as 64-bit values, so that a program that keeps every
  // 32-bit key can be played too.
  std::int64_t run_start_key = runcheck::run_start_key;
  std::int64_t key_ceiling = runcheck::key_ceiling;

  bool operator==(const selection_rules&) const = default;
};

// What one pass did.
struct pass_report {
  enum class action {
    wrote,     // wrote `key` from `slot` to the current run
    froze,     // froze `key` in `slot`: it is below the run's last key
    melted,    // the buffer was wholly frozen: it melted and a new run opened
    finished,  // nothing to choose, and the buffer was not wholly frozen
  };
  int step = 0;  // from 1
  action what = action::finished;
  int slot = -1;  // wrote, froze: the slot chosen
  std::int32_t key = 0;
  // wrote: the key of the list that took the slot's place, if any was left.
  std::optional<std::int32_t> loaded;
};

class reference_generator {
 public:
  // Loads the first keys into the buffer. `keys` must outlive the generator.
  explicit reference_generator(std::span<const std::int32_t> keys,
                               const selection_rules& rules = {});

  // Runs the next pass and reports it; nothing once the test case has ended
  // (after the finishing pass, or with the budget spent: as many passes, or
  // keys written, as it allows).
  std::optional<pass_report> next_pass();

  // The state after the passes so far.
  std::span<const record> slots() const { return {slots_.data(), size_}; }
  std::int64_t last_key() const { return last_key_; }
  int run_count() const { return run_count_; }  // runs opened, the current one included
  int steps() const { return steps_; }
  std::int32_t read_count() const { return read_count_; }  // keys loaded into the buffer
  std::int32_t write_count() const { return write_count_; }
  bool finished() const { return finished_; }  // ended by a pass that found nothing

 private:
  std::span<const std::int32_t> keys_;
  selection_rules rules_;
  std::array<record, max_buffer_size> slots_{};
  std::size_t size_ = 0;
  std::int64_t last_key_ = 0;
  int run_count_ = 1;
  int steps_ = 0;
  std::int32_t read_count_ = 0;
  std::int32_t write_count_ = 0;
  bool run_has_key_ = false;  // a key was written since the current run opened
  bool finished_ = false;
};

// Every run, in order; a run may be empty.
using run_list = std::vector<std::vector<std::int32_t>>;

// The runs of `keys` under `rules`, pass by pass.
run_list reference_runs(std::span<const std::int32_t> keys, const selection_rules& rules = {});

}  // namespace runcheck
