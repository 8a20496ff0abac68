// The text printer, for people: for each failing test case its wrong count
// and wrong runs, with the line, the expected keys beside the keys read,
// hints, why the expected key comes next and the faulty program whose runs
// these are; warnings; the note on where the file goes out of step; or why
// the check could not run. Consecutive test cases whose blocks read the same
// are printed once, as a range. Then, at all_files_ended, a summary line per
// run file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "explain/report/report.h"
#include "platform/output.h"

namespace runcheck::explain {

class text_printer final : public report_printer {
 public:
  explicit text_printer(output& out) : out_(out) {}

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;
  // Prints the summary line of every run file.
  void all_files_ended() override;

 private:
  // Prints the block held back for folding, if any.
  void flush_block(const file_summary& summary);

  output& out_;
  output summaries_;
  bool independently_said_ = false;  // a summary line gives the independent score
  bool hints_shown_ = false;         // the run file's hints were printed
  std::int32_t failing_ = 0;         // test cases failed in this run file
  // The block held back: test cases first..last (from 1) print the body
  // bodies_[held_body_] under a header ending in state_. The other body is
  // where the next test case's is written, to be compared with it.
  bool held_ = false;
  std::int64_t first_ = 0;
  std::int64_t last_ = 0;
  bool held_failed_ = false;
  std::string_view state_;  // one of the printer's own texts
  std::array<output, 2> bodies_;
  int held_body_ = 0;
};

}  // namespace runcheck::explain
