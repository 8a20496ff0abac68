#include "runs/run_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "run_table_builder.h"

namespace runcheck {
namespace {

using testing::run_list;

// Every stored run reads back whole and in place, and every run index
// outside the stored runs reads as an empty run.
void expect_holds(const run_table& table, const std::vector<run_list>& want) {
  ASSERT_EQ(static_cast<std::int32_t>(want.size()), table.size());
  for (std::int32_t t = 0; t < table.size(); ++t) {
    const run_set set = table[t];
    const run_list& runs = want[static_cast<std::size_t>(t)];
    ASSERT_EQ(static_cast<std::int32_t>(runs.size()), set.run_count) << "test case " << t;
    for (std::int64_t r = 1; r <= set.run_count; ++r) {
      const auto keys = run_keys(set, r);
      ASSERT_EQ(std::vector<std::int32_t>(keys.begin(), keys.end()),
                runs[static_cast<std::size_t>(r - 1)])
          << "test case " << t << " run " << r;
    }
    for (const std::int64_t r : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{set.run_count} + 1,
                                 std::int64_t{2147483647}, std::int64_t{-2147483647} * 4}) {
      EXPECT_EQ(0, run_length(set, r)) << r;
      EXPECT_TRUE(run_keys(set, r).empty()) << r;
    }
  }
}

TEST(run_table, holds_the_runs_written) {
  const std::vector<std::int32_t> full(max_run_keys, 32767);
  const run_list empties(max_runs);
  // Both limits at once: the most runs holding the most keys.
  run_list widest(max_runs, std::vector<std::int32_t>{-1});
  widest[0].assign(max_run_keys - max_runs + 1, 32767);
  struct row {
    const char* name;
    std::vector<run_list> test_cases;
  };
  std::vector<run_list> many(3000);  // enough worst-case room to make the table grow many times
  for (int t = 0; t < 3000; ++t) many[static_cast<std::size_t>(t)] = {{t, 32767}, {}, {t % 7}};
  const row rows[] = {
      {"no test case", {}},
      {"two runs, the first empty", {{{}, {7}}}},
      {"example", {{{5, 6, 7, 8, 9}, {0, 1, 2, 3, 4}}, {{10, 20, 30}}}},
      {"keys at both ends of the range", {{{-1, 0, 32767}}, {{-1}}}},
      {"one run of the most keys", {{full}, {{1}}}},
      {"the most runs, all empty", {empties, empties}},
      {"the most runs and the most keys", {{widest}}},
      {"3000 test cases", many},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    expect_holds(testing::table_of(r.test_cases), r.test_cases);
  }
}

}  // namespace
}  // namespace runcheck
