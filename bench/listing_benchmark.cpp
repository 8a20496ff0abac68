// Throughput of the listing: print_listing of a table of generated runs,
// into memory and through the writer to /dev/null.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <random>
#include <vector>

#include "generation/run_generator.h"
#include "platform/output.h"
#include "platform/platform.h"
#include "runs/listing.h"
#include "runs/run_table.h"

namespace runcheck {
namespace {

// 10,000 test cases of 300 random keys 0..32767, as in workload A.
const run_table& random_table() {
  static const run_table table = [] {
    constexpr std::int32_t cases = 10000;
    run_table t;
    std::mt19937 rng(1);
    std::uniform_int_distribution<std::int32_t> key(0, 32767);
    std::vector<std::int32_t> keys(300);
    for (std::int32_t c = 0; c < cases; ++c) {
      for (std::int32_t& k : keys) k = key(rng);
      run_set set = *t.open_test_case();
      generate_runs(keys, set);
      t.close_test_case(set);
    }
    return t;
  }();
  return table;
}

std::size_t listing_bytes(const run_table& table) {
  output out;
  print_listing(out, table);
  return out.text().size();
}

void listing_to_memory(benchmark::State& state) {
  const run_table& table = random_table();
  const std::size_t bytes = listing_bytes(table);
  for (auto _ : state) {
    output out;
    print_listing(out, table);
    benchmark::DoNotOptimize(out.text().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(listing_to_memory)->Unit(benchmark::kMillisecond);

void listing_to_dev_null(benchmark::State& state) {
  const run_table& table = random_table();
  const std::size_t bytes = listing_bytes(table);
  // On POSIX systems a file handle is the descriptor.
  const auto null = static_cast<platform::file_handle>(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  for (auto _ : state) {
    output out(null);
    print_listing(out, table);
    out.flush();
  }
  platform::close_file(null);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(listing_to_dev_null)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace runcheck

BENCHMARK_MAIN();
