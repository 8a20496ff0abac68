// The run table and the listing where end-to-end cases cannot say where a
// fault is: a table that loses, reorders or truncates runs while it grows,
// run indices outside the stored runs, and the formatting of every key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runs/listing.h"
#include "runs/run_table.h"

namespace runcheck {
namespace {

using run_list = std::vector<std::vector<std::int32_t>>;

run_table table_of(const std::vector<run_list>& test_cases) {
  run_table table;
  for (const run_list& runs : test_cases) {
    run_set set = *table.open_test_case();
    for (const auto& run : runs) {
      start_run(set);
      for (const std::int32_t k : run) append_key(set, k);
    }
    table.close_test_case(set);
  }
  return table;
}

TEST(run_table, holds_the_runs_written) {
  run_list widest(max_runs, std::vector<std::int32_t>{-1});  // the most runs and the most keys
  widest[0].assign(max_run_keys - max_runs + 1, 32767);
  // The first room for run ends holds 1024: 387 one-run test cases leave
  // exactly the most that one test case needs (251 runs and the leading 0).
  std::vector<run_list> exact(387, run_list{{1}});
  exact.push_back(widest);
  std::vector<run_list> many(3000);  // makes the table grow many times
  for (int t = 0; t < 3000; ++t) many[static_cast<std::size_t>(t)] = {{t, 32767}, {}, {t % 7}};
  const std::vector<std::vector<run_list>> rows = {
      {},
      {{{}, {7}}},
      {{{5, 6, 7, 8, 9}, {0, 1, 2, 3, 4}}, {{10, 20, 30}}},
      {run_list(max_runs), run_list(max_runs)},
      {widest},
      exact,
      many};
  for (const auto& want : rows) {
    const run_table table = table_of(want);
    ASSERT_EQ(static_cast<std::int32_t>(want.size()), table.size());
    for (std::int32_t t = 0; t < table.size(); ++t) {
      const run_set set = table[t];
      const run_list& runs = want[static_cast<std::size_t>(t)];
      ASSERT_EQ(static_cast<std::int32_t>(runs.size()), set.run_count) << t;
      for (std::int64_t r = 1; r <= set.run_count; ++r) {
        const auto keys = run_keys(set, r);
        ASSERT_EQ(runs[static_cast<std::size_t>(r - 1)],
                  std::vector<std::int32_t>(keys.begin(), keys.end()))
            << t << " " << r;
      }
      for (const std::int64_t r : {std::int64_t{0}, std::int64_t{-1},
                                   set.run_count + std::int64_t{1}, std::int64_t{1} << 40}) {
        EXPECT_EQ(0, run_length(set, r)) << r;
        EXPECT_TRUE(run_keys(set, r).empty()) << r;
      }
    }
  }
}

TEST(listing, every_key_of_the_range) {
  std::vector<run_list> test_cases;
  std::string want;
  for (std::int32_t k = -1; k <= 32767; k += max_run_keys) {
    std::vector<std::int32_t> run;
    for (std::int32_t key = k; key < k + max_run_keys && key <= 32767; ++key) run.push_back(key);
    want += "1\n";
    for (const std::int32_t key : run) want += std::to_string(key) + " ";
    want.back() = '\n';
    test_cases.push_back({run});
  }
  test_cases.push_back({{}, {}});
  want += "2\n\n\n";
  output out;
  print_listing(out, table_of(test_cases));
  EXPECT_EQ(want, out.text());
}

}  // namespace
}  // namespace runcheck
