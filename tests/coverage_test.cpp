// Coverage for the author of a test-case file: a variant counts as caught
// exactly when its whole runs differ from the right ones, though it is
// played only up to its first difference and not at all where it cannot
// differ; and --make-tests' file covers everything whatever the seed.
#include "explain/authoring/coverage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "explain/authoring/make_tests.h"
#include "explain/diagnosis/variants.h"
#include "generation/run_generator.h"
#include "input/text_reader.h"

namespace runcheck::explain {
namespace {

TEST(coverage, a_variant_is_caught_exactly_when_its_runs_differ) {
  std::vector<std::vector<std::int32_t>> rows = {
      {5, -3}, {-3}, {-3, -4}, {40000}, {10, 32768, 20, 30, 40, 5}, {4, 4, 4}, {1, 2, 3, 4, 5, 6},
  };
  std::mt19937 random(11);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same rows every run
  for (int i = 0; i < 600; ++i) {
    // Narrow ranges make equal keys; a few keys fall outside -1..32767, on
    // either side; lengths reach past the budget.
    const std::int32_t top = std::array{4, 30, 32767}[static_cast<std::size_t>(i % 3)];
    std::uniform_int_distribution<std::int32_t> key(-3, top + 1);
    std::vector<std::int32_t> keys(static_cast<std::size_t>(1 + (i * 7) % (i % 5 == 0 ? 400 : 12)));
    for (std::int32_t& k : keys) k = key(random) > top ? 32768 : key(random);
    if (i % 4 == 0) std::sort(keys.rbegin(), keys.rend());
    rows.push_back(keys);
  }
  run_table table;
  for (const auto& keys : rows) {
    SCOPED_TRACE(std::to_string(keys.size()) + " keys, the first " + std::to_string(keys[0]));
    table.clear();
    run_set set = *table.open_test_case();
    const generation_result result = generate_runs(keys, set);
    table.close_test_case(set);
    const test_case_coverage covered = cover_test_case(keys, set, result);
    const auto variants = known_variants();
    for (std::size_t v = 0; v < variants.size(); ++v) {
      SCOPED_TRACE(std::string(variants[v].name));
      const played_runs played = variant_runs(variants[v], keys);
      EXPECT_EQ(played.never_finishes || !same_runs(played.runs, set),
                (covered.variants >> v & 1) != 0);
    }
  }
}

TEST(make_tests, every_seed_gives_a_file_that_covers_everything) {
  for (const std::uint64_t seed : {0ULL, 1ULL, 2ULL, 7ULL, 42ULL, 18446744073709551615ULL}) {
    SCOPED_TRACE(seed);
    const coverage_report report = check_coverage("made", read_text(make_test_case_file(seed)));
    EXPECT_EQ(0, report.status());
    EXPECT_EQ(static_cast<std::int32_t>(rule_count), report.exercised());
    EXPECT_EQ(0, report.out_of_step.count);
    EXPECT_LE(report.num_keys, 350);
  }
}

}  // namespace
}  // namespace runcheck::explain
