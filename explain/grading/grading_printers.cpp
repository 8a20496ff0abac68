#include "explain/grading/grading_printers.h"

#include <string_view>

#include "explain/printers/json_writer.h"
#include "explain/printers/sentences.h"
#include "explain/report/audience.h"
#include "explain/report/encoding.h"

namespace runcheck::explain {

namespace {

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

}  // namespace

// ---- CSV

csv_printer::csv_printer(output& out) : out_(out) {
  out_.put("run_file,verdict,passed,failed,total,score,first_failing\n");
}

void csv_printer::file_begun(const file_summary& /*summary*/) { first_failing_ = 0; }

void csv_printer::test_case(const file_summary& /*summary*/, const test_case_report& report) {
  if (!report.passed && first_failing_ == 0) first_failing_ = report.test_case + 1;
}

void csv_printer::file_ended(const file_summary& summary) {
  put_csv_field(out_, summary.run_file);
  out_.put(',').put(name_of(verdict_of(summary))).put(',');
  out_.put_int(summary.passed).put(',');
  out_.put_int(std::int64_t{summary.total} - summary.passed).put(',');
  out_.put_int(summary.total).put(',');
  out_.put(fraction_text(independent_fraction(summary))).put(',');
  if (first_failing_ > 0) out_.put_int(first_failing_);
  out_.put('\n');
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

// ---- JUnit XML

junit_printer::junit_printer(output& out) : out_(out) {
  out_.put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n");
}

void junit_printer::file_begun(const file_summary& /*summary*/) {
  cases_.clear();
  written_ = failures_ = left_out_ = 0;
}

void junit_printer::test_case(const file_summary& summary, const test_case_report& report) {
  if (cases_.text().size() > junit_suite_cap) {
    ++left_out_;
    return;
  }
  ++written_;
  cases_.put("    <testcase classname=\"");
  put_xml_escaped(cases_, summary.run_file);
  cases_.put("\" name=\"test case ")
      .put_int(std::int64_t{report.test_case} + 1)
      .put(R"(" time="0")");
  if (report.passed) {
    cases_.put("/>\n");
    return;
  }
  ++failures_;
  cases_.put(">\n      <failure message=\"test case ")
      .put_int(std::int64_t{report.test_case} + 1)
      .put(report.failed_by_warning ? " failed for its warnings" : " failed")
      .put("\">");
  put_xml_escaped(cases_, test_case_text(summary, report, audience::instructor));
  cases_.put("</failure>\n    </testcase>\n");
}

void junit_printer::file_ended(const file_summary& summary) {
  const bool stopped = summary.stopped.has_value();
  out_.put("  <testsuite name=\"");
  put_xml_escaped(out_, summary.run_file);
  out_.put("\" tests=\"").put_int(stopped ? 1 : written_);
  out_.put("\" failures=\"").put_int(failures_);
  out_.put("\" errors=\"").put_int(stopped ? 1 : 0).put("\" time=\"0\">\n");
  out_.put("    <properties>\n      <property name=\"passed_independently\" value=\"")
      .put_int(summary.passed_independently)
      .put("\"/>\n      <property name=\"total\" value=\"")
      .put_int(summary.total)
      .put("\"/>\n    </properties>\n");
  if (stopped) {
    out_.put("    <testcase classname=\"");
    put_xml_escaped(out_, summary.run_file);
    out_.put("\" name=\"check\" time=\"0\">\n      <error message=\"");
    put_xml_escaped(out_, summary.stopped->message);
    out_.put("\"/>\n    </testcase>\n");
  }
  out_.put(cases_.text());
  cases_.clear();
  out_.put("    <system-out>");
  std::string text = summary_line(summary);
  if (left_out_ > 0) {
    text += "\nThe last " + std::to_string(left_out_) +
            " test cases are left out of this suite, to keep the report within bounds.";
  }
  put_xml_escaped(out_, text);
  out_.put("</system-out>\n  </testsuite>\n");
}

void junit_printer::all_files_ended() { out_.put("</testsuites>\n"); }

// ---- Judges

void judge_printer::file_begun(const file_summary& summary) {
  judge_.file_begun(summary);
  team_.file_begun(summary);
}

void judge_printer::test_case(const file_summary& summary, const test_case_report& report) {
  judge_.test_case(summary, report);
  team_.test_case(summary, report);
  if (!report.passed && first_failure_.empty())
    first_failure_ =
        one_line(test_case_text(summary, report, audience::student), checker_message_cap);
}

void judge_printer::file_ended(const file_summary& summary) {
  judge_.file_ended(summary);
  team_.file_ended(summary);
  summary_ = summary;
}

std::string judge_printer::line() const {
  std::string text = summary_line(summary_);
  if (!first_failure_.empty()) text += " / " + first_failure_;
  return one_line(text, checker_message_cap);
}

}  // namespace runcheck::explain
