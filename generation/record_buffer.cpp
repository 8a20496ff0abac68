#include "generation/record_buffer.h"

namespace runcheck {

int find_min_record(std::span<const record> records, std::int64_t ceiling) {
  std::int64_t minimum = ceiling;
  int result = -1;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const record& slot = records[i];
    if (!slot.written && !slot.frozen && slot.key < minimum) {
      minimum = slot.key;
      result = static_cast<int>(i);
    }
  }
  return result;
}

bool all_frozen(std::span<const record> records) {
  std::size_t frozen = 0;
  std::size_t empty = 0;
  for (const record& slot : records) {
    if (slot.frozen) {
      ++frozen;
    } else if (slot.written) {
      ++empty;
    }
  }
  return frozen > 0 && frozen == records.size() - empty;
}

void melt_records(std::span<record> records) {
  for (record& slot : records) {
    if (slot.frozen) {
      slot.frozen = 0;
      slot.written = 0;
    }
  }
}

}  // namespace runcheck
