// One test case's lines on their own: what is kept of the lines read number
// by number, what reads as the expected run, the caps, the warnings a line
// passes with, and the lines that hold several runs or half of one.
#include "explain/diagnosis/test_case_lines.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace runcheck::explain {
namespace {

using run_list = std::vector<std::vector<std::int32_t>>;
using numbers = std::vector<std::int32_t>;

// One test case's expected runs, in a table of their own.
struct expected {
  explicit expected(const run_list& runs) {
    run_set opened = *table.open_test_case();
    for (const auto& run : runs) {
      start_run(opened);
      for (const std::int32_t k : run) append_key(opened, k);
    }
    table.close_test_case(opened);
  }
  run_set set() const { return table[0]; }
  run_table table;
};

// Feeds `lines` a run line read number by number.
void add_line(test_case_lines& lines, std::int64_t run, const numbers& read,
              bool blank_last = false, bool cut = false) {
  const auto line = std::make_unique<key_line>();
  std::copy(read.begin(), read.end(), line->numbers.begin());
  line->count = read.size();
  line->last_token_blank = blank_last;
  line->cut = cut;
  lines.add(run_line_report{.run = run, .offset = run * 10, .line = line.get()});
}

numbers numbers_of(const test_case_lines& lines, std::int64_t run) {
  numbers into;
  if (!lines.append_numbers(run, into)) return {-999};
  return into;
}

TEST(test_case_lines, lines_taken_on_their_bytes_read_as_the_expected_run) {
  const expected want({{1, 2, 3}, {0}, {7, 8}});
  test_case_lines lines;
  lines.begin(want.set());
  add_line(lines, 1, {0, 5}, false);
  add_line(lines, 2, {7, 0}, true);  // "7 \n": the 0 of the blank token is no key
  EXPECT_EQ((numbers{1, 2, 3}), numbers_of(lines, 0));
  EXPECT_EQ((numbers{0, 5}), numbers_of(lines, 1));
  EXPECT_EQ((numbers{7}), numbers_of(lines, 2));
  EXPECT_EQ((numbers{-999}), numbers_of(lines, 3));  // past the expected runs, not read
  ASSERT_NE(nullptr, lines.line_of(1));
  EXPECT_EQ(nullptr, lines.line_of(0));

  laid_runs read;
  ASSERT_TRUE(lines.runs_as_read(3, read));
  EXPECT_EQ((numbers{1, 2, 3, 0, 5, 7}), read.keys);
  EXPECT_EQ((std::vector<std::size_t>{3, 5, 6}), read.ends);
  EXPECT_FALSE(lines.runs_as_read(4, read));

  // A new test case forgets the lines of the one before.
  lines.begin(want.set());
  EXPECT_TRUE(lines.lines().empty());
  EXPECT_EQ((numbers{0}), numbers_of(lines, 1));
}

TEST(test_case_lines, numbers_after_a_run_are_a_warning) {
  const expected want({{1, 2, 3}, {}, {4}});
  struct row {
    const char* name;
    std::int64_t run;
    numbers read;
    bool blank_last;
    bool warned;
  };
  const row rows[] = {
      {"the run alone", 0, {1, 2, 3}, false, false},
      {"a space before the line break", 0, {1, 2, 3, 0}, true, false},
      {"a number after the run", 0, {1, 2, 3, 4}, false, true},
      {"a number and a space", 0, {1, 2, 3, 4, 0}, true, true},
      {"anything where the run is empty", 1, {9, 9}, false, false},
      {"past the expected runs", 3, {9, 9}, false, false},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    test_case_lines lines;
    lines.begin(want.set());
    add_line(lines, r.run, r.read, r.blank_last);
    EXPECT_EQ(r.warned, lines.lines()[0].warned);
  }
  // A wrong line passes by no tolerance: it is wrong, not warned.
  test_case_lines lines;
  lines.begin(want.set());
  add_line(lines, 0, {1, 2, 3, 4});
  lines.add_wrong(run_report{.run = 0, .position = 0});
  EXPECT_TRUE(lines.lines()[0].wrong);
  EXPECT_FALSE(lines.lines()[0].warned);
}

TEST(test_case_lines, caps_are_counted_not_passed) {
  const expected want(run_list{{1}});
  test_case_lines lines;
  lines.begin(want.set());
  for (std::size_t i = 0; i <= test_case_lines::max_lines; ++i)
    add_line(lines, static_cast<std::int64_t>(i), {1});
  EXPECT_EQ(test_case_lines::max_lines, lines.lines().size());
  EXPECT_TRUE(lines.lost());
  laid_runs read;
  EXPECT_FALSE(lines.runs_as_read(2, read));

  // Numbers past the cap: the line is kept in part, and not as read.
  lines.begin(want.set());
  const numbers wide(max_line_numbers, 1);
  std::size_t added = 0;
  while (added <= test_case_lines::max_numbers) {
    add_line(lines, static_cast<std::int64_t>(added / wide.size()), wide);
    added += wide.size();
  }
  EXPECT_TRUE(lines.lost());
  const line_read& last = lines.lines().back();
  EXPECT_LT(last.kept, last.count);
  EXPECT_EQ((numbers{-999}), numbers_of(lines, last.run));

  // Wrong runs past max_kept_runs are counted.
  lines.begin(want.set());
  for (std::size_t i = 0; i < max_kept_runs + 3; ++i)
    lines.add_wrong(run_report{.run = static_cast<std::int64_t>(i)});
  EXPECT_EQ(max_kept_runs, lines.wrong().size());
  EXPECT_EQ(3, lines.more_wrong());
}

TEST(test_case_lines, lines_that_hold_several_runs_or_half_of_one) {
  const expected want({{1, 2, 3}, {4, 5}, {0, 6}, {2}});
  struct row {
    const char* name;
    std::vector<numbers> read;  // run lines 0, 1, ... as read
    std::int64_t merged_run;    // -1 none
    std::int64_t merged_runs;
    std::int64_t split_run;  // -1 none
  };
  const row rows[] = {
      {"the listing", {{1, 2, 3}, {4, 5}, {0, 6}, {2}}, -1, 0, -1},
      {"two runs on one line", {{1, 2, 3, 4, 5}, {0, 6}, {2}}, 0, 2, -1},
      {"three runs on one line", {{1, 2, 3}, {4, 5, 0, 6, 2}}, 1, 3, -1},
      {"a run and a half", {{1, 2, 3, 4}, {5}}, -1, 0, -1},
      {"a run over two lines", {{1, 2}, {3}, {4, 5}}, -1, 0, 0},
      {"a split that does not end the run", {{1}, {2}, {3}}, -1, 0, -1},
      {"both", {{1}, {2, 3}, {0, 6, 2}}, 2, 2, 0},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    test_case_lines lines;
    lines.begin(want.set());
    for (std::size_t i = 0; i < r.read.size(); ++i)
      add_line(lines, static_cast<std::int64_t>(i), r.read[i]);
    const test_case_lines::structures found = lines.mark_lines_to_locate();
    if (r.merged_run < 0) {
      EXPECT_EQ(nullptr, found.merged.line);
    } else {
      ASSERT_NE(nullptr, found.merged.line);
      EXPECT_EQ(r.merged_run, found.merged.line->run);
      EXPECT_EQ(r.merged_runs, found.merged.runs);
      EXPECT_TRUE(found.merged.line->locate);
      EXPECT_FALSE(found.merged.line->warned);  // its numbers after the run are runs
    }
    if (r.split_run < 0) {
      EXPECT_EQ(nullptr, found.split.line);
    } else {
      ASSERT_NE(nullptr, found.split.line);
      EXPECT_EQ(r.split_run, found.split.line->run);
      EXPECT_TRUE(found.split.line->locate);
    }
  }
}

// The lines whose place is wanted: the wrong and the warned ones, the first
// read in pieces, and the first past the expected runs; no others.
TEST(test_case_lines, lines_to_locate) {
  const expected want({{1, 2}, {3}});
  test_case_lines lines;
  lines.begin(want.set());
  add_line(lines, 0, {1, 2, 9});  // warned
  add_line(lines, 1, {4});        // wrong
  lines.add_wrong(run_report{.run = 1});
  add_line(lines, 2, {5}, false, true);  // past the runs, and in pieces
  add_line(lines, 3, {6}, false, true);  // in pieces, not the first
  add_line(lines, 4, {7});
  lines.mark_lines_to_locate();
  std::vector<bool> located;
  for (const line_read& l : lines.lines()) located.push_back(l.locate);
  EXPECT_EQ((std::vector<bool>{true, true, true, false, false}), located);
}

TEST(test_case_lines, runs_kept_for_a_printer) {
  const expected want({{1, 2, 3}, {4}});
  test_case_lines lines;
  lines.begin(want.set());
  add_line(lines, 1, {5, 6});
  add_line(lines, 2, {7});  // past the expected runs: not drawn
  test_case_report report;
  lines.keep_runs(3, report);
  EXPECT_EQ((numbers{1, 2, 3, 4}), report.expected_runs.keys);
  EXPECT_EQ((std::vector<std::size_t>{3, 4}), report.expected_runs.ends);
  EXPECT_EQ((numbers{1, 2, 3, 5, 6}), report.read_runs.keys);
  EXPECT_EQ((std::vector<std::size_t>{3, 5}), report.read_runs.ends);
  EXPECT_FALSE(report.read_runs_lost);

  // A line cut to max_run_keys numbers.
  lines.begin(want.set());
  add_line(lines, 0, numbers(max_line_numbers, 1));
  test_case_report wide;
  lines.keep_runs(1, wide);
  EXPECT_EQ(static_cast<std::size_t>(max_run_keys), wide.read_runs.keys.size());
}

}  // namespace
}  // namespace runcheck::explain
