#include "runs/run_table.h"

#include <gtest/gtest.h>

namespace runcheck {
namespace {

TEST(run_table, start_run_and_append_key) {
  auto table = allocate_run_table(1);
  ASSERT_TRUE(table.has_value());
  run_set& set = (*table)[0];
  start_run(set);
  start_run(set);
  append_key(set, 7);
  EXPECT_EQ(2, set.run_count);
  EXPECT_EQ(0, run_length(set, 1));
  EXPECT_EQ(1, run_length(set, 2));
  EXPECT_EQ(7, run_keys(set, 2)[0]);
}

TEST(run_table, unused_blocks_read_zero) {
  auto table = allocate_run_table(3);
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(3, table->size());
  for (std::int32_t t = 0; t < 3; ++t) {
    EXPECT_EQ(0, (*table)[t].run_count);
    for (int r = 1; r <= max_runs; ++r) ASSERT_EQ(0, run_length((*table)[t], r));
  }
}

TEST(run_table, run_index_outside_the_block_reads_empty) {
  auto table = allocate_run_table(1);
  run_set& set = (*table)[0];
  start_run(set);
  append_key(set, 3);
  for (const std::int64_t r :
       {std::int64_t{0}, std::int64_t{-1}, std::int64_t{501}, std::int64_t{2147483647}}) {
    EXPECT_EQ(0, run_length(set, r)) << r;
    EXPECT_TRUE(run_keys(set, r).empty()) << r;
  }
}

TEST(run_table, sizes_it_cannot_hold) {
  EXPECT_FALSE(allocate_run_table(-1).has_value());
  const auto none = allocate_run_table(0);
  ASSERT_TRUE(none.has_value());
  EXPECT_EQ(0, none->size());
}

}  // namespace
}  // namespace runcheck
