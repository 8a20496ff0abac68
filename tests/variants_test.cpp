// The faulty programs that runcheck-explain recognises: each writes other
// runs than the right program on some test case, and the ones that are not
// replacement selection write what their description says.
#include "explain/variants.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace runcheck::explain
