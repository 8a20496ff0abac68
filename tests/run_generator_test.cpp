#include "generation/run_generator.h"

#include <gtest/gtest.h>

#include <vector>

namespace runcheck {
namespace {

using runs = std::vector<std::vector<std::int32_t>>;

struct generated {
  generation_result result;
  runs runs_made;
};

generated generate(const std::vector<std::int32_t>& keys) {
  run_table table;
  run_set set = *table.open_test_case();
  record_buffer buffer;
  reset_records(buffer);
  generated g;
  g.result = generate_runs(keys, buffer, set);
  for (int r = 1; r <= set.run_count; ++r) {
    const auto k = run_keys(set, r);
    g.runs_made.emplace_back(k.begin(), k.end());
  }
  return g;
}

std::vector<std::int32_t> repeated(std::int32_t key, int n) {
  return std::vector<std::int32_t>(static_cast<std::size_t>(n), key);
}

TEST(generate_runs, worked_examples) {
  struct row {
    const char* name;
    std::vector<std::int32_t> keys;
    runs want;
    int melts;
    bool finished;
    std::int32_t read_count;
    std::int32_t write_count;
  };
  const row rows[] = {
      {"descending ten",
       {9, 8, 7, 6, 5, 4, 3, 2, 1, 0},
       {{5, 6, 7, 8, 9}, {0, 1, 2, 3, 4}},
       1,
       true,
       10,
       10},
      {"fewer than five keys", {30, 10, 20}, {{10, 20, 30}}, 0, true, 3, 3},
      {"one key", {42}, {{42}}, 0, true, 1, 1},
      {"equal keys", repeated(4, 7), {repeated(4, 7)}, 0, true, 7, 7},
      {"two runs, mixed",
       {3, 1, 2, 9, 8, 7, 6, 5, 4, 0},
       {{1, 2, 3, 5, 6, 7, 8, 9}, {0, 4}},
       1,
       true,
       10,
       10},
      {"new smallest key is frozen at once",
       {1, 2, 3, 4, 5, 0},
       {{1, 2, 3, 4, 5}, {0}},
       1,
       true,
       6,
       6},
      {"key -1 is written", {-1, 3}, {{-1, 3}}, 0, true, 2, 2},
      {"key 32768 is never chosen", {1, 32768, 2}, {{1, 2}}, 0, true, 3, 2},
      {"key 32768 holds back the rest",
       {10, 32768, 20, 30, 40, 5},
       {{10, 20, 30, 40}},
       0,
       true,
       6,
       4},
      {"keys 32767 and 32768", {32768, 32767}, {{32767}}, 0, true, 2, 1},
      {"only keys at the ceiling", {40000, 32768}, {{}}, 0, true, 2, 0},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    const generated g = generate(r.keys);
    EXPECT_EQ(r.want, g.runs_made);
    EXPECT_EQ(r.melts, g.result.melts);
    EXPECT_EQ(r.finished, g.result.finished);
    if (r.finished) {
      EXPECT_EQ(r.read_count, g.result.read_count);
      EXPECT_EQ(r.write_count, g.result.write_count);
    }
  }
}

TEST(generate_runs, step_budget_counts_every_pass) {
  struct row {
    int keys;
    std::size_t run_length;
    bool finished;
    std::int32_t read_count;
  };
  // 499 keys: the 500th pass finds nothing and finishes. 500 keys: the budget
  // is spent writing them. 600 keys: 500 written, 5 still in the buffer, 95
  // never loaded.
  const row rows[] = {{499, 499, true, 499}, {500, 500, false, 500}, {600, 500, false, 505}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.keys);
    const generated g = generate(repeated(1, r.keys));
    ASSERT_EQ(1u, g.runs_made.size());
    EXPECT_EQ(r.run_length, g.runs_made[0].size());
    EXPECT_EQ(r.finished, g.result.finished);
    EXPECT_EQ(r.read_count, g.result.read_count);
    EXPECT_EQ(static_cast<std::int32_t>(r.run_length), g.result.write_count);
  }
}

TEST(generate_runs, keys_below_minus_one_melt_into_empty_runs) {
  struct row {
    const char* name;
    std::vector<std::int32_t> keys;
    int melts;
    std::size_t runs_made;
    std::vector<std::int32_t> first_run;
  };
  const row rows[] = {
      {"5 -3", {5, -3}, 249, 250, {5}},
      {"-3 alone", {-3}, 250, 251, {}},
      {"-3 -4", {-3, -4}, 166, 167, {}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    const generated g = generate(r.keys);
    EXPECT_EQ(r.melts, g.result.melts);
    EXPECT_FALSE(g.result.finished);
    ASSERT_EQ(r.runs_made, g.runs_made.size());
    EXPECT_EQ(r.first_run, g.runs_made[0]);
    for (std::size_t i = 1; i < g.runs_made.size(); ++i)
      EXPECT_TRUE(g.runs_made[i].empty()) << "run " << i + 1;
  }
}

TEST(generate_runs, buffer_is_reused_across_test_cases) {
  // A short test case after a long one must not see the old slots.
  run_table table;
  record_buffer buffer;
  reset_records(buffer);
  run_set first = *table.open_test_case();
  generate_runs(std::vector<std::int32_t>{9, 8, 7, 6, 5, 4, 3}, buffer, first);
  table.close_test_case(first);
  reset_records(buffer);
  run_set set = *table.open_test_case();
  const generation_result second = generate_runs(std::vector<std::int32_t>{2, 1}, buffer, set);
  EXPECT_EQ(2, buffer.buffer_size);
  EXPECT_EQ(1, set.run_count);
  const auto keys = run_keys(set, 1);
  EXPECT_EQ((std::vector<std::int32_t>{1, 2}), std::vector<std::int32_t>(keys.begin(), keys.end()));
  EXPECT_EQ(2, second.write_count);
}

}  // namespace
}  // namespace runcheck
