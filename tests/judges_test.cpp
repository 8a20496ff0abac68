// The judges' checkers: how each judge is told the outcome, the words CMS
// shows against the number it reads, testlib's report file, and the
// messages, which call the run file "your output".
#include "explain/grading/judges.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "explain/report/submission.h"

namespace runcheck::explain {
namespace {

file_summary summary_of(std::int32_t passed, std::int32_t total) {
  return {.test_case_file = "tests.txt",
          .run_file = "/judge/sandbox/7/team_output",
          .passed = passed,
          .total = total,
          .passed_independently = passed};
}

TEST(judges, outcome_of_each_verdict) {
  EXPECT_EQ(judge_outcome::accepted, judge_outcome_of(summary_of(3, 3)));
  EXPECT_EQ(judge_outcome::wrong_answer, judge_outcome_of(summary_of(2, 3)));
  // A run file that cannot be read is the contestant's wrong answer; a
  // test-case file that cannot be used is the checker's failure.
  file_summary missing = summary_of(0, 3);
  missing.stopped = stop_report{.message = "cannot open",
                                .file = missing.run_file,
                                .failure = platform::open_failure::no_such_file};
  EXPECT_EQ(judge_outcome::wrong_answer, judge_outcome_of(missing));
  missing.stopped->failure = platform::open_failure::is_directory;
  EXPECT_EQ(judge_outcome::wrong_answer, judge_outcome_of(missing));
  file_summary broken = summary_of(0, 0);
  broken.stopped = stop_report{.message = "The count is wrong", .file = "tests.txt", .line = 2};
  EXPECT_EQ(judge_outcome::fail, judge_outcome_of(broken));
  // Under --strict a file-wide warning fails the file.
  file_summary strict = summary_of(0, 0);
  strict.strict = true;
  strict.warnings.push_back({.what = warning::kind::no_test_cases});
  EXPECT_EQ(judge_outcome::wrong_answer, judge_outcome_of(strict));
}

// The words follow the number CMS reads, whatever it is: success only at 1,
// wrong only at 0, partial between.
TEST(judges, cms_words_never_contradict_the_outcome) {
  for (int total = 1; total <= 40; ++total) {
    for (int passed = 0; passed <= total; ++passed) {
      const std::string outcome = fraction_text(static_cast<double>(passed) / total);
      const std::string_view words = cms_message(outcome);
      SCOPED_TRACE(outcome);
      EXPECT_EQ(passed == total, words == "translate:success");
      EXPECT_EQ(std::stod(outcome) == 0, words == "translate:wrong");
    }
  }
  // 1 of 20000 is written 0, which is what CMS reads.
  EXPECT_EQ("translate:wrong", cms_message(fraction_text(1.0 / 20000)));
}

TEST(judges, testlib_report) {
  EXPECT_EQ("FAIL, 0 of 1", testlib_report(judge_outcome::wrong_answer, "FAIL, 0 of 1", false));
  struct row {
    judge_outcome outcome;
    std::string_view message;
    std::string want;
  };
  const std::string head = R"(<?xml version="1.0" encoding="UTF-8"?><result outcome = ")";
  const row rows[] = {
      {judge_outcome::accepted, "PASS", head + "accepted\">PASS</result>\n"},
      {judge_outcome::wrong_answer, "a < b & \"c\" > d",
       head + "wrong-answer\">a &lt; b &amp; &quot;c&quot; &gt; d</result>\n"},
      {judge_outcome::fail, "tab\there\x01", head + "fail\">tab.here.</result>\n"},
      // Bytes past ASCII stand as they are: the message is UTF-8.
      {judge_outcome::fail, "\xC3\xA9", head + "fail\">\xC3\xA9</result>\n"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(std::string(r.message));
    EXPECT_EQ(r.want, testlib_report(r.outcome, r.message, true));
  }
}

// The messages of a failing run file: the run file named "your output" in
// both, the expected runs in the judge's alone, and one line for the
// student that holds the first failing test case.
TEST(judges, messages_name_your_output) {
  judge_printer printer("your output");
  file_summary summary = summary_of(0, 2);
  printer.file_begun(summary);
  const test_case_report wrong{
      .test_case = 0,
      .runs = {run_finding{.run = 0,
                           .position = 1,
                           .expected = 20,
                           .found = 30,
                           .expected_run = std::vector<std::int32_t>{10, 20, 30},
                           .at = {.line = 2, .text = "10 30 20"}}}};
  printer.test_case(summary, wrong);
  summary.passed = summary.passed_independently = 1;
  printer.test_case(summary, test_case_report{.test_case = 1, .passed = true});
  printer.file_ended(summary);
  EXPECT_EQ(summary.run_file, printer.summary().run_file) << "the summary as checked";
  for (const std::string& text : {printer.judge().text(), printer.team().text(), printer.line()}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(std::string::npos, text.find("sandbox"));
    EXPECT_TRUE(text.starts_with("your output: "));
  }
  EXPECT_NE(std::string::npos, printer.judge().text().find("expected: 10 [20] 30"));
  EXPECT_EQ(std::string::npos, printer.team().text().find("expected:"));
  EXPECT_EQ(std::string::npos, printer.line().find('\n'));
  EXPECT_NE(std::string::npos, printer.line().find("line 2: run 0"));
}

}  // namespace
}  // namespace runcheck::explain
