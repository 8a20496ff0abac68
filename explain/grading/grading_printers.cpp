#include "explain/grading/grading_printers.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "explain/printers/json_writer.h"
#include "explain/printers/sentences.h"
#include "explain/report/audience.h"
#include "explain/report/encoding.h"

namespace runcheck::explain {

// The run file's verdict on one line: runcheck's counts and the
// independent score, or why the check could not run.
std::string summary_line(const file_summary& summary) {
  output line;
  line.put(summary.run_file).put(": ");
  if (summary.stopped) {
    line.put(check_could_not_run).put(": ").put(summary.stopped->message);
  } else {
    put_verdict(line, summary);
    line.put("; independent score ").put_int(summary.passed_independently);
    line.put(" of ").put_int(summary.total);
  }
  return line.text();
}

// ---- Gradescope and PrairieLearn

struct results_printer::document {
  json_writer w;
  std::int64_t left_out = 0;  // tests past the cap
};

// Room kept for what follows the tests: the top-level message and fields.
constexpr std::size_t tests_room = results_file_cap - 2 * checker_message_cap - 4096;
// What one test's message may take.
constexpr std::size_t test_message_cap = 16000;

results_printer::results_printer(output& out, system which, results_settings settings)
    : out_(out), which_(which), settings_(std::move(settings)) {}

namespace {

// Points as Gradescope reads them: a whole number where one point per test
// case is meant, else the assignment's points shared.
void put_points(json_writer& w, double points, bool whole) {
  if (whole) {
    w.integer(static_cast<std::int64_t>(points));
  } else {
    w.number(points);
  }
}

}  // namespace
results_printer::~results_printer() = default;

void results_printer::file_begun(const file_summary& /*summary*/) {
  document_ = std::make_unique<document>();
  document_->w.start_object();
  document_->w.key("tests");
  document_->w.start_array();
}

void results_printer::test_case(const file_summary& summary, const test_case_report& report) {
  document& d = *document_;
  if (d.w.size() > tests_room) {
    ++d.left_out;
    return;
  }
  const std::string number = std::to_string(std::int64_t{report.test_case} + 1);
  const std::string block = test_case_text(summary, report, audience::student);
  const std::string shown = block.size() <= test_message_cap
                                ? block
                                : std::string(utf8_prefix(block, test_message_cap)) +
                                      "\n[cut here: the message is too long]\n";
  // One judgement for status, points and message: the independent score's.
  const bool scores = report.passed_independently;
  const bool whole = settings_.points <= 0;
  const double each = whole ? 1 : settings_.points / static_cast<double>(summary.total);
  std::string message;
  if (scores && !report.passed) {
    message =
        "runcheck fails this test case, reading it out of step after a slip before it; its "
        "runs stand where they are due, so it scores.\n";
  }
  message += shown;
  d.w.start_object();
  d.w.key("name");
  d.w.string("test case " + number);
  if (which_ == system::gradescope) {
    d.w.key("number");
    d.w.string(number);
    d.w.key("score");
    put_points(d.w, scores ? each : 0, whole);
    d.w.key("max_score");
    put_points(d.w, each, whole);
    d.w.key("status");
    d.w.string(scores ? "passed" : "failed");
    d.w.key("output");
    d.w.string(message);
    d.w.key("output_format");
    d.w.string("text");
    d.w.key("visibility");
    d.w.string(settings_.visibility);
  } else {
    d.w.key("points");
    d.w.integer(scores ? 1 : 0);
    d.w.key("max_points");
    d.w.integer(1);
    d.w.key("message");
    d.w.string(message);
  }
  d.w.end_object();
}

void results_printer::file_ended(const file_summary& summary) {
  document& d = *document_;
  d.w.end_array();
  std::string text = summary_line(summary);
  if (summary.passed_independently != summary.passed && !summary.stopped) {
    text +=
        "\nThe independent score reads the file back into step after a slip: a test case "
        "counts where its runs stand in the file near where they are due.";
  }
  if (d.left_out > 0) {
    text += "\nThe last " + std::to_string(d.left_out) +
            " test cases are left out of this list, to keep the results within "
            "1 MB; the score counts them.";
  }
  text = std::string(utf8_prefix(text, checker_message_cap));
  const double fraction = independent_fraction(summary);
  if (which_ == system::gradescope) {
    // The score is out of the tests' max_score: the test cases passed, or
    // the assignment's points in the same share.
    d.w.key("score");
    if (settings_.points <= 0) {
      d.w.integer(summary.passed_independently);
    } else {
      d.w.number(settings_.points * fraction);
    }
    d.w.key("output");
    d.w.string(text);
    d.w.key("output_format");
    d.w.string("text");
    d.w.key("visibility");
    d.w.string(settings_.visibility);
  } else {
    d.w.key("gradable");
    d.w.boolean(!summary.stopped);
    d.w.key("score");
    d.w.number(fraction);
    d.w.key("message");
    d.w.string(text);
  }
  d.w.end_object();
  d.w.flush_to(out_);
  out_.put('\n');
  document_.reset();
}

}  // namespace runcheck::explain
