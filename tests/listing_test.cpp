#include "runs/listing.h"

#include <gtest/gtest.h>

#include <vector>

#include "run_table_builder.h"

namespace runcheck {
namespace {

std::string listing_of(const std::vector<std::vector<std::vector<std::int32_t>>>& test_cases) {
  const run_table table = testing::table_of(test_cases);
  output out;
  print_listing(out, table);
  return out.text();
}

TEST(listing, format) {
  struct row {
    const char* name;
    std::vector<std::vector<std::vector<std::int32_t>>> test_cases;
    std::string want;
  };
  const row rows[] = {
      {"example",
       {{{5, 6, 7, 8, 9}, {0, 1, 2, 3, 4}}, {{10, 20, 30}}},
       "2\n5 6 7 8 9\n0 1 2 3 4\n1\n10 20 30\n"},
      {"one key", {{{42}}}, "1\n42\n"},
      {"empty run", {{{}, {}}}, "2\n\n\n"},
      {"keys at both ends of the range and between",
       {{{-1, 0, 9, 10, 99, 100, 999, 1000, 9999, 10000, 32767}}},
       "1\n-1 0 9 10 99 100 999 1000 9999 10000 32767\n"},
      {"no test cases", {}, ""},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.want, listing_of(r.test_cases));
  }
}

TEST(listing, full_run_of_widest_keys) {
  std::vector<std::int32_t> run(max_run_keys, 32767);
  std::string want = "1\n";
  for (int i = 0; i < max_run_keys; ++i) want += (i ? " 32767" : "32767");
  want += "\n";
  EXPECT_EQ(want, listing_of({{run}}));
}

TEST(listing, every_key_of_the_range) {
  std::vector<testing::run_list> test_cases;
  test_cases.reserve(32769 / max_run_keys + 1);
  std::string want;
  for (std::int32_t k = -1; k <= 32767; k += max_run_keys) {
    std::vector<std::int32_t> run;
    run.reserve(max_run_keys);
    for (std::int32_t key = k; key < k + max_run_keys && key <= 32767; ++key) run.push_back(key);
    want += "1\n";
    for (const std::int32_t key : run) want += std::to_string(key) + " ";
    want.back() = '\n';
    test_cases.push_back({run});
  }
  EXPECT_EQ(want, listing_of(test_cases));
}

}  // namespace
}  // namespace runcheck
