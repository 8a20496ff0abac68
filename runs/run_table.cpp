#include "runs/run_table.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace runcheck {

void run_table::release::operator()(run_set* p) const { std::free(p); }

namespace {

// Huge pages would make every touched 4 KiB page cost 2 MiB of memory, so the
// table asks for small pages where the system would otherwise use huge ones.
void keep_small_pages([[maybe_unused]] void* p, [[maybe_unused]] std::size_t bytes) {
#if defined(__linux__) && defined(MADV_NOHUGEPAGE)
  const long page = ::sysconf(_SC_PAGESIZE);
  if (page <= 0) return;
  const auto mask = static_cast<std::uintptr_t>(page) - 1;
  const auto first = (reinterpret_cast<std::uintptr_t>(p) + mask) & ~mask;
  const auto last = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~mask;
  if (last > first) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): page rounding is integer arithmetic
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_NOHUGEPAGE);
  }
#endif
}

}  // namespace

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
  keep_small_pages(memory, count * sizeof(run_set));
  table.sets_.reset(static_cast<run_set*>(memory));
  return table;
}

}  // namespace runcheck
