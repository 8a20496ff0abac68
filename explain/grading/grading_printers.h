// The printers of the graders' formats: each formats the report of report.h
// as its system reads it, and nothing more.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "explain/printers/message.h"
#include "explain/report/report.h"
#include "explain/report/submission.h"
#include "platform/output.h"

namespace runcheck::explain {

// A run file's summary on one line: "FILE: PASS, 3 of 3 test cases passed;
// independent score 3 of 3", or why the check could not run.
std::string summary_line(const file_summary& summary);

// How Gradescope weighs and shows the tests: `points` is the whole
// assignment's, shared evenly by the test cases (0: one point per test
// case); `visibility` is Gradescope's word for when students see them.
struct results_settings {
  double points = 0;
  std::string visibility = "visible";
};

// An autograder's results.json, for one run file, on one line: Gradescope's
// (score, output, tests[] of name, number, score, max_score, status, output,
// output_format, visibility) or PrairieLearn's (gradable, score, message,
// tests[] of name, points, max_points, message). A test per test case, its
// status, points and message from one judgement, the independent score's:
// a test case runcheck fails that scores, read back into step after a
// slip, says so in its message. The messages are the student's
// (audience.h). At most results_file_cap bytes:
// past room for the tests, the rest are left out with a note, the score
// still counting them.
class results_printer final : public report_printer {
 public:
  enum class system { gradescope, prairielearn };
  results_printer(output& out, system which, results_settings settings = {});
  ~results_printer() override;
  results_printer(const results_printer&) = delete;
  results_printer& operator=(const results_printer&) = delete;

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;

 private:
  struct document;
  output& out_;
  system which_;
  results_settings settings_;
  std::unique_ptr<document> document_;
};

}  // namespace runcheck::explain
