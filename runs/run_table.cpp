#include "runs/run_table.h"

namespace runcheck {

std::optional<run_set> run_table::open_test_case() {
  // The run ends hold one leading 0 besides one value per run.
  if (!starts_.reserve_more(2) || !ends_.reserve_more(max_runs + 1) ||
      !keys_.reserve_more(max_run_keys)) {
    return std::nullopt;
  }
  if (starts_.size() == 0) {
    starts_.data()[0] = test_case_start{};
    starts_.resize_within_room(1);
  }
  run_set set;
  set.run_end = ends_.data() + ends_.size();
  set.run_end[0] = 0;
  set.keys = keys_.data() + keys_.size();
  return set;
}

void run_table::close_test_case(const run_set& set) {
  const std::size_t end_count = ends_.size() + static_cast<std::size_t>(set.run_count) + 1;
  const std::size_t key_count = keys_.size() + set.run_end[set.run_count];
  ends_.resize_within_room(end_count);
  keys_.resize_within_room(key_count);
  starts_.data()[starts_.size()] = test_case_start{end_count, key_count};
  starts_.resize_within_room(starts_.size() + 1);
}

void run_table::clear() {
  keys_.resize_within_room(0);
  ends_.resize_within_room(0);
  starts_.resize_within_room(0);
}

}  // namespace runcheck
