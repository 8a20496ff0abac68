// Where a test case's lines really stand: the run file's lines cut into
// words, and the block that the in-step rule and the independent score
// find from a count line, for each slip a hand makes and for a program that
// writes other runs.
#include "explain/diagnosis/layout.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "explain/diagnosis/run_file_lines.h"

namespace runcheck::explain {
namespace {

using run_list = std::vector<std::vector<std::int32_t>>;

// Expected runs in a table of their own, one test case each.
struct expected {
  explicit expected(const std::vector<run_list>& test_cases) {
    for (const run_list& runs : test_cases) {
      run_set set = *table.open_test_case();
      for (const auto& run : runs) {
        start_run(set);
        for (const std::int32_t k : run) append_key(set, k);
      }
      table.close_test_case(set);
    }
  }
  run_table table;
};

// The lines of `text`, as a file of the running test's own (tests run side
// by side in one folder).
run_file_lines lines_of(const std::string& text) {
  const std::string path = std::string("layout_test_") +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
  std::ofstream(path, std::ios::binary) << text;
  return run_file_lines(path);
}

TEST(run_file_lines, words_of_each_line) {
  run_file_lines lines = lines_of("3 runs\n\n  5 6\t7\r\n-8 +9 x1 2.0\n\n\n");
  const file_line* count = lines.line(1);
  ASSERT_NE(nullptr, count);
  EXPECT_TRUE(count->count_read && count->count_whole && count->text);
  EXPECT_EQ(3, count->count);
  EXPECT_EQ(2U, count->words);
  EXPECT_EQ((std::vector<std::int32_t>{3}), count->numbers);
  EXPECT_EQ(nullptr, lines.line(2));  // blank
  const file_line* run = lines.line(3);
  ASSERT_NE(nullptr, run);
  EXPECT_EQ((std::vector<std::int32_t>{5, 6, 7}), run->numbers);
  EXPECT_TRUE(run->odd);  // a tab; the CR before the line feed is no word
  EXPECT_FALSE(run->text);
  const file_line* mixed = lines.line(4);
  ASSERT_NE(nullptr, mixed);
  EXPECT_EQ((std::vector<std::int32_t>{-8, 9}), mixed->numbers);
  EXPECT_TRUE(mixed->text && !mixed->odd);
  EXPECT_EQ(0, lines.next_nonblank(5));  // blank lines to the end of the file
  EXPECT_EQ(nullptr, lines.line(9));
}

TEST(run_file_lines, a_count_read_with_text_after_its_digits) {
  run_file_lines lines = lines_of("2.0\n5x 6\nx5\n");
  EXPECT_TRUE(lines.line(1)->count_read);
  EXPECT_EQ(2, lines.line(1)->count);
  EXPECT_FALSE(lines.line(1)->count_whole);
  EXPECT_TRUE(lines.line(2)->count_read);
  EXPECT_EQ((std::vector<std::int32_t>{6}), lines.line(2)->numbers);
  EXPECT_FALSE(lines.line(3)->count_read);
}

TEST(run_file_lines, offsets_to_lines_and_what_is_kept) {
  const std::string text = "1\n\n\n5 6\n" + std::string(100000, '7') + " 8\n2\n";
  run_file_lines lines = lines_of(text);
  EXPECT_EQ(4, lines.line_of(static_cast<std::int64_t>(text.find("5 6"))));
  EXPECT_EQ(nullptr, lines.line(1));  // forgotten
  const file_line* long_line = lines.line(5);
  ASSERT_NE(nullptr, long_line);
  EXPECT_TRUE(long_line->overflow);
  EXPECT_EQ(6, lines.next_nonblank(6));
  EXPECT_EQ(6, lines.line_of(static_cast<std::int64_t>(text.size()) - 2, false));
  EXPECT_NE(nullptr, lines.line(5));  // kept where asked
  EXPECT_EQ(0, lines.line_of(static_cast<std::int64_t>(text.size())));
}

// The test case of a row: runs {1 2 3} {4 5} {6}, then a next test case of
// runs {7 8} {9}.
const run_list this_one = {{1, 2, 3}, {4, 5}, {6}};
const run_list next_one = {{7, 8}, {9}};
const std::string next_lines = "2\n7 8\n9\n";

TEST(layout, the_next_count_after_each_slip) {
  struct row {
    const char* name;
    std::string lines;  // this test case's, from line 1
    std::optional<std::int64_t> want;
  };
  const row rows[] = {
      {"the listing", "3\n1 2 3\n4 5\n6\n", 5},
      {"blank lines before the next count", "3\n1 2 3\n4 5\n6\n\n\n", 7},
      {"a blank line between runs", "3\n1 2 3\n\n4 5\n6\n", 6},
      {"a count followed by a word", "3 runs\n1 2 3\n4 5\n6\n", 5},
      {"a run over two lines", "3\n1 2\n3\n4 5\n6\n", 6},
      {"one key a line", "3\n1\n2\n3\n4\n5\n6\n", 8},
      {"two runs on one line", "3\n1 2 3 4 5\n6\n", 4},
      {"the count and the first run on one line", "3 1 2 3\n4 5\n6\n", 4},
      {"a count too small, every run written", "2\n1 2 3\n4 5\n6\n", 5},
      {"a count too large", "4\n1 2 3\n4 5\n6\n", 5},
      {"a line of 2000 characters", "3\n1 2 3" + std::string(2000, ' ') + "\n4 5\n6\n", 5},
      {"another program's runs, as many as its count", "2\n1 2 3 4 6\n5\n", 4},
      {"an extra line", "3\n1 2 3\n4 5\n6\n6\n", 6},
      {"a run line missing, the count kept", "3\n1 2 3\n4 5\n", 4},
      {"this test case missing", "", 1},
      {"lines that cannot be told", "3\n1 2 4\n\n5\n4 5 6\nx y\n", std::nullopt},
  };
  const expected runs({this_one, next_one});
  const run_set next = runs.table[1];
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    run_file_lines lines = lines_of(r.lines + next_lines);
    EXPECT_EQ(r.want, next_count_line(lines, 1, runs.table[0], &next));
  }
}

TEST(layout, the_end_of_the_file_and_the_last_test_case) {
  const expected runs({this_one, next_one});
  const run_set next = runs.table[1];
  run_file_lines ends = lines_of("3\n1 2 3\n4 5\n6\n");
  EXPECT_EQ(0, next_count_line(ends, 1, runs.table[0], &next));
  run_file_lines short_of_its_count = lines_of("5\n1 2 3\n");
  EXPECT_EQ(0, next_count_line(short_of_its_count, 1, runs.table[0], &next));
  run_file_lines at_the_end = lines_of("");
  EXPECT_EQ(0, next_count_line(at_the_end, 0, runs.table[0], &next));
  // After the last test case, any line will do.
  run_file_lines text_after = lines_of("3\n1 2 3\n4 5\n6\nthe end\n");
  EXPECT_EQ(5, next_count_line(text_after, 1, runs.table[0], nullptr));
}

// A test case whose runs are all empty: its listing is its count, then a
// blank line a run.
TEST(layout, empty_runs_are_blank_lines) {
  const expected runs({{{}, {}, {}}, next_one});
  const run_set next = runs.table[1];
  run_file_lines listed = lines_of("3\n\n\n\n" + next_lines);
  EXPECT_EQ(5, next_count_line(listed, 1, runs.table[0], &next));
  EXPECT_TRUE(block_at(listed, 1, runs.table[0]));
  run_file_lines one_short = lines_of("3\n\n\n" + next_lines);
  EXPECT_FALSE(block_at(one_short, 1, runs.table[0]));
}

TEST(layout, a_block_stands_exactly_or_not) {
  struct row {
    const char* name;
    std::string text;
    bool want;
  };
  const row rows[] = {
      {"the listing", "3\n1 2 3\n4 5\n6\n", true},
      {"spaces around and between", "3 \n 1  2 3\n4 5 \r\n6\n", true},
      {"leading zeros", "3\n01 2 3\n4 5\n6\n", true},
      {"a tab", "3\n1\t2 3\n4 5\n6\n", false},
      {"a comma", "3\n1, 2 3\n4 5\n6\n", false},
      {"a number after a run", "3\n1 2 3 4\n4 5\n6\n", false},
      {"a count followed by a word", "3 runs\n1 2 3\n4 5\n6\n", false},
      {"a wrong count", "4\n1 2 3\n4 5\n6\n", false},
      {"a blank line between runs", "3\n1 2 3\n\n4 5\n6\n", false},
      {"a run missing at the end of the file", "3\n1 2 3\n4 5\n", false},
  };
  const expected runs({this_one});
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    run_file_lines lines = lines_of(r.text);
    EXPECT_EQ(r.want, block_at(lines, 1, runs.table[0]));
  }
}

}  // namespace
}  // namespace runcheck::explain
