// The hints on their own: each is said where the text of a finding calls
// for it and nowhere else, in the order a person reads them, and a
// structure hint goes to the finding it explains.
#include "explain/diagnosis/hints.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// g++ 12 at -O3 (the Windows build) takes the strings of these tables' rows
// for uninitialised; they are not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace runcheck::explain {
namespace {

using kinds = std::vector<hint::kind>;

kinds kinds_of(const std::vector<hint>& hints) {
  kinds found;
  for (const hint& h : hints) found.push_back(h.what);
  return found;
}

TEST(hints, what_a_file_head_says) {
  using namespace std::string_literals;
  struct row {
    const char* name;
    std::string head;
    std::vector<file_hint> want;
  };
  const row rows[] = {
      {"plain ASCII", "2\n5 6 7\n", {}},
      {"CR LF line ends", "2\r\n5 6 7\r\n", {}},
      {"CR line ends alone", "2\r5 6 7\r", {file_hint::cr_line_ends}},
      {"UTF-16 LE mark",
       "\xff\xfe"
       "2\0\n\0"s,
       {file_hint::utf16}},
      {"UTF-16 BE mark",
       "\xfe\xff\0"
       "2\0\n"s,
       {file_hint::utf16}},
      {"UTF-16 without a mark",
       "2\0\r\0\n\0"
       "5\0 \0"
       "6\0"s,
       {file_hint::utf16}},
      {"one stray NUL", "2\n5 6\0 7 8 9 10\n"s, {}},
      {"UTF-16 and CR alone",
       "2\0\r\0"
       "5\0"s,
       {file_hint::utf16, file_hint::cr_line_ends}},
      {"empty", "", {}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.want, hints_of_head(r.head));
  }
}

TEST(hints, what_a_line_of_text_calls_for) {
  struct row {
    const char* name;
    file_place at;
    bool utf16;
    kinds want;
  };
  using k = hint::kind;
  const row rows[] = {
      {"plain numbers", {.line = 3, .text = "1 2 3"}, false, {}},
      {"end of the file", {.line = 0, .text = ""}, false, {k::file_ends_early}},
      {"a tab", {.line = 3, .text = "1\t2"}, false, {k::tabs}},
      {"a comma", {.line = 3, .text = "1, 2"}, false, {k::commas}},
      // A carriage return is no printable character either.
      {"a CR alone", {.line = 3, .text = "1\r2"}, false, {k::cr_line_ends, k::other_bytes}},
      {"bytes past ASCII", {.line = 3, .text = "1 \xc3\xa9"}, false, {k::other_bytes}},
      {"bytes past ASCII, UTF-16", {.line = 3, .text = "1 \xc3\xa9"}, true, {}},
      {"all at once, in order",
       {.line = 3, .text = "1,\t2\r\x01"},
       false,
       {k::tabs, k::commas, k::cr_line_ends, k::other_bytes}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    std::vector<hint> hints;
    add_text_hints(r.at, r.utf16, hints);
    EXPECT_EQ(r.want, kinds_of(hints));
  }
}

TEST(hints, a_wrong_count) {
  struct row {
    const char* name;
    file_place at;
    bool utf16;
    kinds want;
  };
  using k = hint::kind;
  const std::vector<row> rows = {
      {"a number alone", {.line = 1, .text = "3"}, false, {}},
      {"text", {.line = 1, .text = "Test case 1"}, false, {k::text_for_count}},
      {"text in UTF-16", {.line = 1, .text = "T"}, true, {}},
      {"a count and its first run", {.line = 1, .text = "3 5 6 7"}, false, {k::count_not_alone}},
      {"a signed count", {.line = 1, .text = "-3"}, false, {}},
      {"a sign alone", {.line = 1, .text = "- 3"}, false, {k::text_for_count}},
      {"the end of the file", {.line = 0, .text = ""}, false, {k::file_ends_early}},
      {"a count with a tab", {.line = 1, .text = "3\t"}, false, {k::tabs}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    count_finding count{.expected = 2, .found = 3, .at = r.at};
    count.hints.push_back(hint{.what = k::long_line});  // left from a test case before
    set_count_hints(count, r.utf16);
    EXPECT_EQ(r.want, kinds_of(count.hints));
  }
}

TEST(hints, a_wrong_run) {
  struct row {
    const char* name;
    file_place at;
    std::vector<std::int32_t> expected_run;
    std::optional<std::int32_t> found;
    std::optional<std::int64_t> long_line;
    kinds want;
  };
  using k = hint::kind;
  const std::vector<row> rows = {
      {"a wrong key", {.line = 4, .text = "1 3 2"}, {1, 2, 3}, 3, {}, {}},
      {"a blank line", {.line = 4, .text = ""}, {1, 2, 3}, 0, {}, {k::blank_run_line}},
      {"spaces alone", {.line = 4, .text = "   "}, {1, 2, 3}, 0, {}, {k::blank_run_line}},
      {"a short last line",
       {.line = 4, .text = "1 2", .ends_file = true},
       {1, 2, 3},
       {},
       {},
       {k::file_ends_early}},
      {"a short line, not the last", {.line = 4, .text = "1 2"}, {1, 2, 3}, {}, {}, {}},
      {"past the end of the file", {.line = 0}, {1, 2, 3}, {}, {}, {k::file_ends_early}},
      {"read in pieces", {.line = 4, .text = "1 3"}, {1, 2, 3}, 3, 4, {k::long_line}},
      {"a blank line with a tab", {.line = 4, .text = "\t"}, {1, 2}, 0, {}, {k::tabs}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    run_finding run{.run = 1,
                    .position = 1,
                    .expected = 2,
                    .found = r.found,
                    .expected_run = r.expected_run,
                    .at = r.at};
    run.hints.push_back(hint{.what = k::commas});  // left from a test case before
    set_run_hints(run, r.long_line, false);
    EXPECT_EQ(r.want, kinds_of(run.hints));
    if (r.long_line) {
      EXPECT_EQ(*r.long_line, run.hints.at(0).line);
    }
  }
}

// Two runs on one line are said with a wrong count, since they are why the
// count is wrong; otherwise a structure hint goes to the first wrong run at
// or after its line's run, and is not said where there is none.
TEST(hints, a_structure_goes_to_the_finding_it_explains) {
  const auto report_with = [](bool count, const std::vector<std::int64_t>& wrong_runs) {
    test_case_report report;
    if (count) report.count.emplace();
    for (const std::int64_t r : wrong_runs) report.runs.push_back(run_finding{.run = r});
    return report;
  };
  const hint merged{.what = hint::kind::runs_on_one_line, .line = 5, .run = 2, .runs = 2};
  const hint split{.what = hint::kind::run_split, .line = 5, .run = 2, .runs = 2};

  test_case_report report = report_with(true, {1, 3});
  add_structure_hint(report, merged);
  ASSERT_EQ(1U, report.count->hints.size());
  EXPECT_EQ(5, report.count->hints[0].line);
  EXPECT_TRUE(report.runs[0].hints.empty() && report.runs[1].hints.empty());

  report = report_with(true, {1, 2, 3});
  add_structure_hint(report, split);
  EXPECT_TRUE(report.count->hints.empty());
  EXPECT_TRUE(report.runs[0].hints.empty());
  EXPECT_EQ(1U, report.runs[1].hints.size());
  EXPECT_TRUE(report.runs[2].hints.empty());

  report = report_with(false, {0, 4});
  add_structure_hint(report, merged);
  EXPECT_TRUE(report.runs[0].hints.empty());
  EXPECT_EQ(1U, report.runs[1].hints.size());

  report = report_with(false, {0, 1});
  add_structure_hint(report, merged);
  EXPECT_TRUE(report.runs[0].hints.empty() && report.runs[1].hints.empty());
}

}  // namespace
}  // namespace runcheck::explain
