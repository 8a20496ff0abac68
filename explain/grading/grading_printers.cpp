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

}  // namespace runcheck::explain
