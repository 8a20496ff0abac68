#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/verdict_printer.h"
#include "run_table_builder.h"

namespace runcheck {
namespace {

using runs = std::vector<std::vector<std::int32_t>>;

struct checked {
  std::string printed;
  check_result result;
};

checked check(const std::vector<runs>& expected, std::string_view run_file) {
  const run_table table = testing::table_of(expected);
  text_reader file = text_reader::from_memory(run_file);
  key_line line;
  output out;
  checked c;
  c.result = print_check(file, table, line, out);
  c.printed = out.text();
  return c;
}

const std::string pass_all =
    "================================================\nYour File PASS the TEST\n";
const std::string fail_all =
    "================================================\nYour File CANNOT PASS the TEST\n";

TEST(check_run_file, verdicts) {
  const runs single = {{1, 2, 3}};
  struct row {
    const char* name;
    std::vector<runs> expected;
    std::string_view run_file;
    std::string want;
  };
  const row rows[] = {
      {"match", {single}, "1\n1 2 3\n", "Testing test case 1.........\n....PASSED\n" + pass_all},
      {"fewer numbers than the run",
       {single},
       "1\n1 2\n",
       "Testing test case 1.........\nrun 0 is wrong\n....FAILED\n" + fail_all},
      {"run line missing at end of file",
       {single},
       "1\n",
       "Testing test case 1.........\nrun 0 is wrong\n....FAILED\n" + fail_all},
      {"empty line where the run is 0",
       {{{5}, {0}}},
       "2\n5\n\n",
       "Testing test case 1.........\n....PASSED\n" + pass_all},
      {"one message per wrong line",
       {{{1}, {2}, {3}}},
       "3\n9\n2\n9\n",
       "Testing test case 1.........\nrun 0 is wrong\nrun 2 is wrong\n....FAILED\n" + fail_all},
      {"blank lines after a count are skipped",
       {{{0}}},
       "1\n\n1\n",
       "Testing test case 1.........\nrun 0 is wrong\n....FAILED\n" + fail_all},
      {"count unreadable",
       {single},
       "x\n1 2 3\n",
       "Testing test case 1.........\nThe number of runs in test case 1 is wrong.\n....FAILED\n" +
           fail_all},
      {"negative count reads no line",
       {single, single},
       "-1\n1\n1 2 3\n",
       "Testing test case 1.........\nThe number of runs in test case 1 is wrong.\n....FAILED\n"
       "Testing test case 2.........\n....PASSED\n" +
           fail_all},
      {"huge count at end of file",
       {single},
       "2147483647\n1 2 3\n",
       "Testing test case 1.........\nThe number of runs in test case 1 is wrong.\n....FAILED\n" +
           fail_all},
      {"huge count, expected runs still compared",
       {{{1}, {2}}},
       "2147483647\n1\n",
       "Testing test case 1.........\nThe number of runs in test case 1 is wrong.\nrun 1 is "
       "wrong\n....FAILED\n" +
           fail_all},
      {"no test cases", {}, "anything", pass_all},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.want, check(r.expected, r.run_file).printed);
  }
}

TEST(check_run_file, run_indices_past_the_table_have_length_zero) {
  // 600 run lines against one expected run: indices beyond 500 are read and
  // pass, and nothing is read outside the block.
  std::string file = "600\n1 2 3\n";
  for (int i = 1; i < 600; ++i) file += "5\n";
  file += "1\n1 2 3\n";
  const checked c = check({{{1, 2, 3}}, {{1, 2, 3}}}, file);
  EXPECT_EQ(
      "Testing test case 1.........\nThe number of runs in test case 1 is wrong.\n....FAILED\n"
      "Testing test case 2.........\n....PASSED\n" +
          fail_all,
      c.printed);
  EXPECT_EQ(1, c.result.passed);
  EXPECT_FALSE(c.result.all_passed);
}

TEST(check_run_file, long_run_line_is_read_in_pieces) {
  // A line of 1000 numbers "1" with its line feed at 2001 characters: the
  // second piece (a space and the line feed) is taken as the next run line
  // and reads as the single number 0.
  std::string line;
  for (int i = 0; i < 1000; ++i) line += (i ? " 1" : "1");
  line += " \n";
  const runs expected = {std::vector<std::int32_t>(500, 1), {0}};
  EXPECT_EQ("Testing test case 1.........\n....PASSED\n" + pass_all,
            check({expected}, "2\n" + line).printed);
}

}  // namespace
}  // namespace runcheck
