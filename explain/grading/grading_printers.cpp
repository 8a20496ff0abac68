#include "explain/grading/grading_printers.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <string_view>

#include "explain/report/audience.h"
#include "explain/report/encoding.h"

namespace runcheck::explain {

std::string summary_line(const file_summary& summary) {
  std::string line;
  if (summary.stopped)
    return summary.run_file + ": the check could not run: " + summary.stopped->message;
  line = summary.run_file + (summary.status() == 0 ? ": PASS, " : ": FAIL, ") +
         std::to_string(summary.passed) + " of " + std::to_string(summary.total) +
         " test cases passed; independent score " + std::to_string(summary.passed_independently) +
         " of " + std::to_string(summary.total);
  return line;
}

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
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> w{buffer};
  std::string replaced;
  std::int64_t left_out = 0;  // tests past the cap

  void string(std::string_view text) {
    const std::string_view valid = valid_utf8(text, replaced);
    w.String(valid.data(), static_cast<rapidjson::SizeType>(valid.size()));
  }
  void key(std::string_view name) {
    w.Key(name.data(), static_cast<rapidjson::SizeType>(name.size()));
  }
};

// Room kept for what follows the tests: the top-level message and fields.
constexpr std::size_t tests_room = results_file_cap - 2 * checker_message_cap - 4096;
// What one test's message may take.
constexpr std::size_t test_message_cap = 16000;

results_printer::results_printer(output& out, system which) : out_(out), which_(which) {}
results_printer::~results_printer() = default;

void results_printer::file_begun(const file_summary& /*summary*/) {
  document_ = std::make_unique<document>();
  document_->w.StartObject();
  document_->key("tests");
  document_->w.StartArray();
}

void results_printer::test_case(const file_summary& summary, const test_case_report& report) {
  document& d = *document_;
  if (d.buffer.GetSize() > tests_room) {
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
  d.w.StartObject();
  d.key("name");
  d.string("test case " + number);
  if (which_ == system::gradescope) {
    d.key("number");
    d.string(number);
    d.key("score");
    d.w.Int(points);
    d.key("max_score");
    d.w.Int(1);
    d.key("status");
    d.string(report.passed ? "passed" : "failed");
    d.key("output");
    d.string(shown);
    d.key("output_format");
    d.string("text");
    d.key("visibility");
    d.string("visible");
  } else {
    d.key("points");
    d.w.Int(points);
    d.key("max_points");
    d.w.Int(1);
    d.key("message");
    d.string(shown);
  }
  d.w.EndObject();
}

void results_printer::file_ended(const file_summary& summary) {
  document& d = *document_;
  d.w.EndArray();
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
    d.key("score");
    d.w.Int(summary.passed_independently);
    d.key("output");
    d.string(text);
    d.key("output_format");
    d.string("text");
    d.key("visibility");
    d.string("visible");
  } else {
    d.key("gradable");
    d.w.Bool(!summary.stopped);
    d.key("score");
    d.w.Double(fraction);
    d.key("message");
    d.string(text);
  }
  d.w.EndObject();
  out_.put(std::string_view(d.buffer.GetString(), d.buffer.GetSize())).put('\n');
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

}  // namespace runcheck::explain
