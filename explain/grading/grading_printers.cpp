#include "explain/grading/grading_printers.h"

#include <string_view>

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

results_printer::results_printer(output& out, system which) : out_(out), which_(which) {}
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
  const int points = report.passed_independently ? 1 : 0;
  d.w.start_object();
  d.w.key("name");
  d.w.string("test case " + number);
  if (which_ == system::gradescope) {
    d.w.key("number");
    d.w.string(number);
    d.w.key("score");
    d.w.integer(points);
    d.w.key("max_score");
    d.w.integer(1);
    d.w.key("status");
    d.w.string(report.passed ? "passed" : "failed");
    d.w.key("output");
    d.w.string(shown);
    d.w.key("output_format");
    d.w.string("text");
    d.w.key("visibility");
    d.w.string("visible");
  } else {
    d.w.key("points");
    d.w.integer(points);
    d.w.key("max_points");
    d.w.integer(1);
    d.w.key("message");
    d.w.string(shown);
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
    d.w.key("score");
    d.w.integer(summary.passed_independently);
    d.w.key("output");
    d.w.string(text);
    d.w.key("output_format");
    d.w.string("text");
    d.w.key("visibility");
    d.w.string("visible");
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
