// What a judge's checker (kattis, testlib, cms) says of one run file, in
// the words and files each judge reads.
#pragma once

#include <string>
#include <string_view>

#include "explain/printers/message.h"
#include "explain/report/report.h"

namespace runcheck::explain {

// How a judge takes a run file: accepted, a wrong answer (a run file that
// cannot be read too: it is the contestant's), or the checker's failure
// (only a test-case file that cannot be used).
enum class judge_outcome { accepted, wrong_answer, fail };
judge_outcome judge_outcome_of(const file_summary& summary);

// Keeps the instructor's and the student's messages of one run file,
// capped, and the student's one line, for the front end to write where the
// judge reads them. The messages call the run file `shown_name` (a judge's
// path to it, or a copy of it, means nothing to a contestant).
class judge_printer final : public report_printer {
 public:
  explicit judge_printer(std::string shown_name) : shown_name_(std::move(shown_name)) {}

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;

  const message& judge() const { return judge_; }
  const message& team() const { return team_; }
  // One line for the student: the verdict, the counts and the first failing
  // test case's report, at most checker_message_cap bytes.
  std::string line() const;
  // The summary as checked, the run file under its own name.
  const file_summary& summary() const { return summary_; }

 private:
  file_summary shown(const file_summary& summary) const;

  std::string shown_name_;
  message judge_{audience::instructor, results_file_cap};
  message team_{audience::student, results_file_cap};
  std::string first_failure_;  // the first failing test case's block, for a student
  file_summary summary_;
};

// testlib's report file: the message as it stands, or with `appes` the XML
// testlib writes, <result outcome = "accepted">message</result>.
std::string testlib_report(judge_outcome outcome, std::string_view message, bool appes);

// CMS's message for the outcome as written (fraction_text): the stock text
// translate:success for "1", translate:wrong for "0", translate:partial
// for anything between, so that the words never contradict the number.
std::string_view cms_message(std::string_view outcome);

}  // namespace runcheck::explain
