// The text printer, for people: for each failing test case its wrong count
// and wrong runs, with the line, the expected keys beside the keys read, and
// hints; the note on where the file goes out of step; or why the check could
// not run. Then, once every run file is done, a summary line per run file.
#pragma once

#include "explain/report.h"
#include "platform/output.h"

namespace runcheck::explain {

class text_printer final : public report_printer {
 public:
  explicit text_printer(output& out) : out_(out) {}

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;

  // Prints the summary line of every run file printed so far.
  void print_summaries();

 private:
  output& out_;
  output summaries_;
  bool failure_shown_ = false;  // a failing test case of this run file was printed
};

}  // namespace runcheck::explain
