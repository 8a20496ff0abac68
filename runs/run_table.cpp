#include "runs/run_table.h"

#include <cstdlib>

#include "platform/platform.h"

namespace runcheck {

void run_table::release::operator()(run_set* p) const { std::free(p); }

std::optional<run_table> allocate_run_table(std::int32_t num_test_cases) {
  if (num_test_cases < 0) return std::nullopt;
  run_table table;
  table.size_ = num_test_cases;
  if (num_test_cases == 0) return table;
  // calloc, not a value-initialising new: the pages come zeroed from the
  // system and are not written here.
  const auto count = static_cast<std::size_t>(num_test_cases);
  void* memory = std::calloc(count, sizeof(run_set));
  if (memory == nullptr) return std::nullopt;
  // Huge pages would make every touched 4 KiB page cost 2 MiB of memory.
  platform::prefer_small_pages(memory, count * sizeof(run_set));
  table.sets_.reset(static_cast<run_set*>(memory));
  return table;
}

}  // namespace runcheck
