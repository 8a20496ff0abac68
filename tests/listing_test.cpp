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
      {"negative and extreme keys",
       {{{-2147483647 - 1, -1, 0, 32767, 2147483647}}},
       "1\n-2147483648 -1 0 32767 2147483647\n"},
      {"no test cases", {}, ""},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.want, listing_of(r.test_cases));
  }
}

TEST(listing, full_run_of_widest_keys) {
  std::vector<std::int32_t> run(max_run_keys, -2147483647 - 1);
  std::string want = "1\n";
  for (int i = 0; i < max_run_keys; ++i) want += (i ? " -2147483648" : "-2147483648");
  want += "\n";
  EXPECT_EQ(want, listing_of({{run}}));
}

}  // namespace
}  // namespace runcheck
