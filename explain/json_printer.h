// The JSON printer, for graders: one JSON document per run file, on one
// line (JSON Lines).
#pragma once

#include "explain/report.h"
#include "platform/output.h"

namespace runcheck::explain {

class json_printer final : public report_printer {
 public:
  explicit json_printer(output& out) : out_(out) {}

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;

 private:
  output& out_;
};

}  // namespace runcheck::explain
