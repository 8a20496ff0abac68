// The JSON printer, for graders: one JSON document per run file, each on a
// line of its own (JSON Lines). The schema and each field's numbering are in
// docs/runcheck-explain.1.
#pragma once

#include <memory>
#include <string_view>

#include "explain/report/report.h"
#include "platform/output.h"

namespace runcheck::explain {

// The identifiers the JSON gives a file hint and a file that did not open,
// for the other documents that say them.
std::string_view json_name(file_hint h);
std::string_view json_name(platform::open_failure f);

class json_printer final : public report_printer {
 public:
  explicit json_printer(output& out);
  ~json_printer() override;
  json_printer(const json_printer&) = delete;
  json_printer& operator=(const json_printer&) = delete;

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;

 private:
  output& out_;
  // The document being written (json_writer.h), handed on after each test
  // case, so that memory holds one test case's text.
  struct document;
  std::unique_ptr<document> document_;
};

}  // namespace runcheck::explain
