// The hint rules, through the diagnosis as runcheck-explain runs it: which
// lines call for which hint, where no why is given, and that a run file
// says each hint once.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "diagnosed.h"
#include "explain/diagnosis/hints.h"

namespace runcheck::explain {
namespace {

using kinds = std::vector<hint::kind>;

// The hints of a report, its count's first, then its runs' in order.
kinds kinds_of(const test_case_report& report) {
  kinds found;
  if (report.count) {
    for (const hint& h : report.count->hints) found.push_back(h.what);
  }
  for (const run_finding& run : report.runs) {
    for (const hint& h : run.hints) found.push_back(h.what);
  }
  return found;
}

TEST(hint_rules, lines_and_the_hints_they_call_for) {
  using k = hint::kind;
  struct row {
    const char* name;
    std::string run_file;
    std::size_t test_case;  // from 0: the report looked at
    kinds want;
    bool why;
  };
  // Test case 1 has the runs 5 6 7 8 9 and 0 1 2 3 4, test case 2 the run
  // 10 20 30, test case 3 the run 1 2 3 3.
  const std::string test_cases = "3\n10\n9 8 7 6 5 4 3 2 1 0\n3\n30 10 20\n4\n1 2 3 3\n";
  const std::string rest = "1\n10 20 30\n1\n1 2 3 3\n";
  const row rows[] = {
      {"a wrong key", "2\n5 6 8 7 9\n0 1 2 3 4\n" + rest, 0, {}, true},
      {"a label", "2\nrun 0: 5 6 7 8 9\n0 1 2 3 4\n" + rest, 0, {k::text_in_run_line}, false},
      {"a count and a word",
       "2 runs\n5 6 7 8 9\n0 1 2 3 4\n" + rest,
       0,
       {k::text_in_run_line},
       false},
      {"a count written 2.0",
       "2.0\n5 6 7 8 9\n0 1 2 3 4\n" + rest,
       0,
       {k::text_in_run_line},
       false},
      {"text that reads right, a key wrong after it",
       "2\n5 6 7x 9 8\n0 1 2 3 4\n" + rest,
       0,
       {k::text_in_run_line},
       false},
      {"a header", "Runs\n2\n5 6 7 8 9\n0 1 2 3 4\n" + rest, 0, {k::text_for_count}, false},
      {"a file cut short", "2\n5 6 7 8 9\n", 0, {k::file_ends_early}, false},
      {"lines ended by CR alone",
       "2\r5 6 7 8 9\r0 1 2 3 4\r1\r10 20 30\r1\r1 2 3 3\r",
       0,
       {},
       false},
      {"a count that takes the rest", "9\n5 6 7 8 9\n0 1 2 3 4\n" + rest, 1, {}, false},
      {"a run over two lines", "2\n5 6 7\n8 9\n0 1 2 3 4\n" + rest, 0, {k::run_split}, false},
      {"two lines the count counts", "3\n5 6 7\n8 9\n0 1 2 3 4\n" + rest, 0, {}, true},
      {"two runs of a program recognised",
       "2\n5 6 7 8 9\n0 1 2 3 4\n1\n10 20 30\n2\n1 2 3\n3\n",
       2,
       {},
       true},
      {"two runs on one line", "2\n5 6 7 8 9 0 1 2 3 4\n" + rest, 0, {k::runs_on_one_line}, false},
      {"a run left out, the count one short", "1\n0 1 2 3 4\n" + rest, 0, {k::run_missing}, false},
      {"the last run left out", "1\n5 6 7 8 9\n" + rest, 0, {}, false},
      {"an empty run after the last",
       "3\n5 6 7 8 9\n0 1 2 3 4\n\n" + rest,
       0,
       {k::empty_last_run},
       false},
      {"one key per line", "2\n5\n6\n7\n8\n9\n0\n1\n2\n3\n4\n" + rest, 0, {k::key_per_line}, false},
      {"a blank line", "2\n5 6 7 8 9\n\n0 1 2 3 4\n" + rest, 0, {k::blank_run_line}, false},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    const diagnosed d = diagnose("hint_rules", test_cases, r.run_file);
    ASSERT_GT(d.reports.size(), r.test_case);
    const test_case_report& report = d.reports[r.test_case];
    EXPECT_FALSE(report.passed);
    EXPECT_EQ(r.want, kinds_of(report));
    EXPECT_EQ(r.why, report.why.has_value());
  }
}

TEST(hint_rules, a_count_that_holds_text) {
  const std::string test_cases = "1\n3\n30 10 20\n";
  struct row {
    const char* name;
    std::string run_file;
    bool holds_text;
  };
  const row rows[] = {
      {"a header", "Test case 1\n1\n10 20 30\n", true},
      {"a frame from runcheck's output", "=====> Output\n1\n10 20 30\n", true},
      {"a wrong number", "2\n10 20 30\n", false},
      {"a 0", "0\n10 20 30\n", false},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    const diagnosed d = diagnose("count_text", test_cases, r.run_file);
    ASSERT_EQ(1U, d.reports.size());
    ASSERT_TRUE(d.reports[0].count.has_value());
    EXPECT_EQ(r.holds_text, d.reports[0].count->holds_text);
  }
}

TEST(hint_rules, text_tokens) {
  struct row {
    std::string_view line;
    std::string_view want;
  };
  const row rows[] = {
      {"5 6 7", ""},        {"run 1: 5 6", "run"}, {"5 6.0 7", "6.0"}, {"5  6 ", ""},
      {"-5 +6", ""},        {"5 - 6", "-"},        {"5,6 x", "x"},     {"5\t6 7", ""},
      {"5 \xc3\xa9 6", ""}, {"12abc", "12abc"},    {"", ""},           {"5 6\r", ""},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(std::string(r.line));
    EXPECT_EQ(r.want, first_text_token(r.line));
  }
}

// A report with one hint of `what` on each of its wrong runs, at `lines`.
test_case_report report_with(hint::kind what, const std::vector<std::int64_t>& lines) {
  test_case_report report;
  for (const std::int64_t line : lines) {
    run_finding run;
    run.at.line = line;
    run.hints.push_back(hint{.what = what});
    report.runs.push_back(run);
  }
  return report;
}

TEST(hint_rules, a_tally_says_each_kind_once) {
  using k = hint::kind;
  hint_tally tally;
  test_case_report first = report_with(k::tabs, {2, 3});
  first.count.emplace();
  first.count->at.line = 1;
  first.count->hints.push_back(hint{.what = k::commas});
  tally.say_once(first);
  EXPECT_EQ((kinds{k::commas, k::tabs}), kinds_of(first));
  EXPECT_TRUE(first.runs[1].hints.empty());

  test_case_report second = report_with(k::tabs, {5});
  second.runs[0].hints.push_back(hint{.what = k::long_line, .line = 4});
  tally.say_once(second);
  EXPECT_EQ((kinds{k::long_line}), kinds_of(second));

  // The same line again, and the end of the file, are no more lines.
  test_case_report third = report_with(k::tabs, {5, 0});
  third.runs[0].hints.push_back(hint{.what = k::long_line, .line = 4});
  tally.say_once(third);
  EXPECT_TRUE(kinds_of(third).empty());

  const std::vector<repeated_hint> repeated = tally.repeated();
  ASSERT_EQ(1U, repeated.size());  // commas and long lines were said once, on one line
  EXPECT_EQ(k::tabs, repeated[0].what);
  EXPECT_EQ(2, repeated[0].line);
  EXPECT_EQ(2, repeated[0].more);  // lines 3 and 5
}

// A random file holding the right runs but for one slip in one test case:
// the slip is named there, and every hint kind is said once in the file.
TEST(hint_rules, a_slip_named_where_it_is_and_each_kind_once) {
  std::mt19937 random(9);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same files every run
  enum slip { run_missing, empty_last_run, key_per_line, label, tabs, slips };
  const hint::kind named[] = {hint::kind::run_missing, hint::kind::empty_last_run,
                              hint::kind::key_per_line, hint::kind::text_in_run_line,
                              hint::kind::tabs};
  int named_where_due = 0;
  for (int round = 0; round < 100; ++round) {
    std::vector<std::vector<std::int32_t>> keys(
        std::uniform_int_distribution<std::size_t>(1, 6)(random));
    std::vector<run_list> runs;
    for (auto& tc : keys) {
      tc.resize(std::uniform_int_distribution<std::size_t>(6, 40)(random));
      for (std::int32_t& key : tc) key = std::uniform_int_distribution<std::int32_t>(0, 99)(random);
      runs.push_back(reference_runs(tc));
    }
    const std::size_t at = std::uniform_int_distribution<std::size_t>(0, keys.size() - 1)(random);
    const auto what = static_cast<slip>(std::uniform_int_distribution<int>(0, slips - 1)(random));
    run_list& slipped = runs[at];
    if (what == run_missing) {
      if (slipped.size() < 3) continue;  // a line must show the shift
      slipped.erase(slipped.begin());
    }
    if (what == empty_last_run) slipped.emplace_back();
    // One key per line is right where no run has two keys, and can be seen
    // only where the count asks for two lines.
    if (what == key_per_line && (slipped.size() < 2 || slipped.front().size() < 2)) continue;
    std::string file;
    for (std::size_t t = 0; t < runs.size(); ++t) {
      if (t != at || what == run_missing || what == empty_last_run) {
        file += listing_of({runs[t]});
        continue;
      }
      if (what == key_per_line) {
        file += std::to_string(runs[t].size()) + "\n";
        for (const auto& run : runs[t]) {
          for (const std::int32_t key : run) file += std::to_string(key) + "\n";
        }
        continue;
      }
      std::string listing = listing_of({runs[t]});
      const std::size_t second_line = listing.find('\n') + 1;
      if (what == label) listing.insert(second_line, "run: ");
      // A tab for the first space: where the first run has one key, none.
      const std::size_t space = listing.find(' ', second_line);
      if (what == tabs && space < listing.find('\n', second_line)) listing[space] = '\t';
      file += listing;
    }
    const diagnosed d = diagnose("slip_once", test_case_file_of(keys), file);
    ASSERT_EQ(keys.size(), d.reports.size());
    SCOPED_TRACE("round " + std::to_string(round) + ", test case " + std::to_string(at + 1));
    std::vector<hint::kind> said;
    for (const test_case_report& report : d.reports) {
      for (const hint::kind k : kinds_of(report)) {
        EXPECT_EQ(said.end(), std::find(said.begin(), said.end(), k)) << "said twice";
        said.push_back(k);
      }
    }
    // The test cases before the slip pass, and the slip is named.
    for (std::size_t t = 0; t < at; ++t) EXPECT_TRUE(d.reports[t].passed);
    if (what == tabs && d.reports[at].passed) continue;  // no space to put a tab for
    const kinds at_slip = kinds_of(d.reports[at]);
    EXPECT_NE(at_slip.end(), std::find(at_slip.begin(), at_slip.end(), named[what]));
    EXPECT_FALSE(d.reports[at].why.has_value());
    ++named_where_due;
  }
  EXPECT_GE(named_where_due, 50);
}

}  // namespace
}  // namespace runcheck::explain
