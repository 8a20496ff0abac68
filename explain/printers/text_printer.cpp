#include "explain/printers/text_printer.h"

#include <string_view>

#include "explain/printers/sentences.h"

namespace runcheck::explain {

void text_printer::file_begun(const file_summary& summary) {
  hints_shown_ = false;
  failing_ = 0;
  held_ = false;
  if (summary.stopped) {
    put_stopped_text(out_, summary);
    return;
  }
  const std::string lead = summary.run_file + ": ";
  for (const warning& w : summary.warnings) put_warning(out_, summary, w, lead);
}

void text_printer::test_case(const file_summary& summary, const test_case_report& report) {
  if (report.passed && !report.shifted && report.warnings.empty()) {
    flush_block(summary);
    return;
  }
  const std::string_view state = test_case_state(report);
  output& body = bodies_[1 - held_body_];
  body.clear();
  put_test_case_text(body, summary, report);
  const std::int64_t number = std::int64_t{report.test_case} + 1;
  if (held_ && last_ + 1 == number && state == state_ &&
      body.text() == bodies_[held_body_].text()) {
    last_ = number;
  } else {
    flush_block(summary);
    held_ = true;
    first_ = last_ = number;
    held_failed_ = !report.passed;
    state_ = state;
    held_body_ = 1 - held_body_;
  }
  if (!report.passed) ++failing_;
}

void text_printer::flush_block(const file_summary& summary) {
  if (!held_) return;
  held_ = false;
  out_.put(summary.run_file);
  if (first_ == last_) {
    out_.put(": test case ").put_int(first_);
  } else {
    out_.put(": test cases ").put_int(first_).put(" to ").put_int(last_);
  }
  out_.put(state_).put("\n");
  if (held_failed_ && !hints_shown_) {
    put_run_file_hints_text(out_, summary);
    hints_shown_ = true;
  }
  out_.put(bodies_[held_body_].text());
}

void text_printer::file_ended(const file_summary& summary) {
  flush_block(summary);
  put_repeated_hints_text(out_, summary);
  if (summary.unexplained > 0) {
    out_.put(summary.run_file).put(": note: ");
    put_unexplained(out_, summary);
    out_.put("\n");
  }
  if (summary.variant && failing_ > 1) {
    out_.put(summary.run_file).put(": recognised: ").put(every_failing_test_case_holds);
    out_.put("\n  ").put(summary.variant->description).put("\n");
  }
  summaries_.put(summary.run_file).put(": ");
  put_verdict(summaries_, summary);
  // The independent score, where it tells something more.
  if (!summary.stopped && summary.passed_independently != summary.passed) {
    summaries_.put(", ").put_int(summary.passed_independently).put(" independently");
    independently_said_ = true;
  }
  summaries_.put("\n");
}

void text_printer::all_files_ended() {
  out_.put(summaries_.text());
  if (independently_said_) {
    out_.put("(independently: the test cases that pass when each is read from its own\n");
    out_.put(" count line, as if no slip before it had put the file out of step)\n");
  }
}

}  // namespace runcheck::explain
