#include "explain/grading/judges.h"

#include "explain/grading/grading_printers.h"
#include "explain/report/audience.h"
#include "explain/report/submission.h"

namespace runcheck::explain {

judge_outcome judge_outcome_of(const file_summary& summary) {
  switch (verdict_of(summary)) {
    case submission_verdict::passed:
      return judge_outcome::accepted;
    case submission_verdict::failed:
    case submission_verdict::missing:
    case submission_verdict::unreadable:
    case submission_verdict::several:
      return judge_outcome::wrong_answer;
    case submission_verdict::stopped:
      break;
  }
  return judge_outcome::fail;
}

file_summary judge_printer::shown(const file_summary& summary) const {
  file_summary named = summary;
  named.run_file = shown_name_;
  return named;
}

void judge_printer::file_begun(const file_summary& summary) {
  const file_summary named = shown(summary);
  judge_.file_begun(named);
  team_.file_begun(named);
}

void judge_printer::test_case(const file_summary& summary, const test_case_report& report) {
  const file_summary named = shown(summary);
  judge_.test_case(named, report);
  team_.test_case(named, report);
  if (!report.passed && first_failure_.empty())
    first_failure_ =
        one_line(test_case_text(named, report, audience::student), checker_message_cap);
}

void judge_printer::file_ended(const file_summary& summary) {
  const file_summary named = shown(summary);
  judge_.file_ended(named);
  team_.file_ended(named);
  summary_ = summary;
}

std::string judge_printer::line() const {
  std::string text = summary_line(shown(summary_));
  if (!first_failure_.empty()) text += " / " + first_failure_;
  return one_line(text, checker_message_cap);
}

std::string testlib_report(judge_outcome outcome, std::string_view message, bool appes) {
  if (!appes) return std::string(message);
  constexpr std::string_view outcomes[] = {"accepted", "wrong-answer", "fail"};
  std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?><result outcome = ")";
  xml += outcomes[static_cast<int>(outcome)];
  xml += "\">";
  // testlib's escaping: the four characters it names, and a control byte
  // as a dot.
  for (const char c : message) {
    switch (c) {
      case '&':
        xml += "&amp;";
        break;
      case '<':
        xml += "&lt;";
        break;
      case '>':
        xml += "&gt;";
        break;
      case '"':
        xml += "&quot;";
        break;
      default:
        xml += static_cast<unsigned char>(c) < 0x20 ? '.' : c;
    }
  }
  return xml + "</result>\n";
}

std::string_view cms_message(std::string_view outcome) {
  if (outcome == "1") return "translate:success";
  if (outcome == "0") return "translate:wrong";
  return "translate:partial";
}

}  // namespace runcheck::explain
