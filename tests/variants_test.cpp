// The faulty programs that runcheck-explain recognises: each writes other
// runs than the right program on some test case, and the ones that are not
// replacement selection write what their description says.
#include "explain/diagnosis/variants.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace runcheck::explain {
namespace {

TEST(variants, each_differs_from_the_right_program) {
  std::vector<std::vector<std::int32_t>> probes = {
      {3, 1, 2, 9, 8, 7, 6, 5, 4, 0, 2, 13, 12, 11, 10, 1, 7, 7},
      {5, -3, 40000, 2},
      std::vector<std::int32_t>(300, 0),
  };
  for (std::int32_t k = 300; k > 0; --k) probes.back()[static_cast<std::size_t>(300 - k)] = k;
  for (const variant& v : known_variants()) {
    SCOPED_TRACE(std::string(v.name));
    bool differs = false;
    for (const auto& keys : probes)
      differs = differs || variant_runs(v, keys) != reference_runs(keys);
    EXPECT_TRUE(differs);
  }
}

TEST(variants, other_methods) {
  const std::vector<std::int32_t> keys = {3, 1, 2, 9, 8, 7, 6};
  const auto runs_of = [&](std::string_view name) {
    for (const variant& v : known_variants()) {
      if (v.name == name) return variant_runs(v, keys);
    }
    return run_list{};
  };
  EXPECT_EQ((run_list{{3}, {1, 2, 9}, {8}, {7}, {6}}), runs_of("natural_runs"));
  EXPECT_EQ((run_list{{1, 2, 3, 8, 9}, {6, 7}}), runs_of("sorted_fives"));
  EXPECT_EQ((run_list{{1, 2, 3, 6, 7, 8, 9}}), runs_of("one_sorted_run"));
}

// The lines of a run file holding `runs`, as the check reads them.
laid_runs lines_of(const run_list& runs) {
  laid_runs lines;
  for (const auto& run : runs) {
    lines.keys.insert(lines.keys.end(), run.begin(), run.end());
    lines.ends.push_back(lines.keys.size());
  }
  return lines;
}

// Every variant is recognised in its own runs, on keys in and out of the
// range and past the budget, and not once a key is changed, added or left
// out, or a line left out; what is recognised is the first variant, in the
// catalogue's order, that writes the same runs.
TEST(variants, recognised_in_their_own_runs) {
  std::mt19937 random(11);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same keys every run
  std::vector<std::vector<std::int32_t>> probes = {
      {5, -3, 40000, 2}, {-1, -1, 0, -1}, std::vector<std::int32_t>(300, 0)};
  for (std::int32_t k = 300; k > 0; --k) probes.back()[static_cast<std::size_t>(300 - k)] = k;
  for (int i = 0; i < 200; ++i) {
    std::uniform_int_distribution<std::int32_t> key(i % 4 == 0 ? -3 : 0, i % 2 == 0 ? 9 : 40000);
    std::vector<std::int32_t> keys(static_cast<std::size_t>(1 + i % 40));
    for (std::int32_t& k : keys) k = key(random);
    probes.push_back(keys);
  }
  for (const auto& keys : probes) {
    for (const variant& v : known_variants()) {
      SCOPED_TRACE(std::string(v.name) + ", " + std::to_string(keys.size()) + " keys");
      run_list runs = variant_runs(v, keys);
      const laid_runs lines = lines_of(runs);
      ASSERT_TRUE(writes(v, keys, lines));
      const variant* found = recognise(keys, lines, true);
      ASSERT_NE(nullptr, found);
      EXPECT_LE(found, &v);
      EXPECT_EQ(runs, variant_runs(*found, keys));
      runs.back().push_back(-7);
      EXPECT_FALSE(writes(v, keys, lines_of(runs)));
      runs.back().pop_back();
      const auto written =
          std::find_if(runs.begin(), runs.end(), [](auto& r) { return !r.empty(); });
      if (written != runs.end()) {
        (*written)[0] += 1;
        EXPECT_FALSE(writes(v, keys, lines_of(runs)));
        (*written)[0] -= 1;
        written->pop_back();
        EXPECT_FALSE(writes(v, keys, lines_of(runs)));
        runs = variant_runs(v, keys);
      }
      runs.pop_back();
      EXPECT_FALSE(writes(v, keys, lines_of(runs)));
    }
  }
}

}  // namespace
}  // namespace runcheck::explain
