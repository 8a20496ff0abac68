#include "generation/run_generator.h"

namespace runcheck {

void reset_records(record_buffer& buffer) {
  buffer.buffer_size = buffer_capacity;
  for (record& slot : buffer.slots) slot = record{0, 1, 1};
}

generation_result generate_runs(std::span<const std::int32_t> keys, record_buffer& buffer,
                                run_set& set) {
  generation_result result;
  const auto num_keys = static_cast<std::int64_t>(keys.size());
  if (num_keys < buffer.buffer_size) buffer.buffer_size = static_cast<int>(num_keys);

  const std::span<record> slots = buffer.in_use();
  for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = record{keys[i], 0, 0};
  std::int64_t read_count = buffer.buffer_size;
  std::int64_t write_count = 0;

  std::int32_t last_key = -1;
  // The block is zeroed, so this store changes nothing; it makes the first
  // access to the block's first page a write. Were it the read in start_run,
  // the page would first be mapped to the shared zero page and the write
  // after it would fault a second time.
  set.run_count = 0;
  start_run(set);

  for (int pass = 0; pass < step_budget; ++pass) {
    const int i = find_min_record(slots);
    if (i >= 0) {
      record& slot = slots[static_cast<std::size_t>(i)];
      if (slot.key < last_key) {
        slot.frozen = 1;
        continue;
      }
      append_key(set, slot.key);
      ++write_count;
      slot.written = 1;
      last_key = slot.key;
      if (read_count < num_keys) {
        slot = record{keys[static_cast<std::size_t>(read_count)], 0, 0};
        ++read_count;
      }
    } else if (all_frozen(slots)) {
      ++result.melts;
      melt_records(slots);
      start_run(set);
      last_key = -1;
    } else {
      result.finished = true;
      break;
    }
  }
  result.read_count = static_cast<std::int32_t>(read_count);
  result.write_count = static_cast<std::int32_t>(write_count);
  return result;
}

}  // namespace runcheck
