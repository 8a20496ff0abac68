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
#include <vector>

#include "explain/report/report.h"
#include "platform/output.h"

namespace runcheck::explain {

// The printer's words, for a printer that shows them in another form (the
// HTML page). Bytes from the files are spelt out as put_escaped does; the
// files' names stand as given.
//
// The lines under a test case's header: the faulty program recognised, the
// wrong count and the wrong runs with their hints and, for the first, why
// the expected key comes next; warnings; the note on where the file goes
// out of step.
void put_test_case_text(output& out, const file_summary& summary, const test_case_report& report);
// The n-th, for n from 1, so that nobody miscounts: "first" ... "tenth",
// then "11th", "21st", "22nd", "23rd", "111th".
std::string ordinal(std::int64_t n);
// What ends a test case's header (" failed", " passed, with a warning"),
// for a test case that failed, put the file out of step or has warnings.
std::string_view test_case_state(const test_case_report& report);
// Why the run file could not be checked (summary.stopped), with hints.
void put_stopped_text(output& out, const file_summary& summary);
// One warning's lines, the first after `lead`.
void put_warning_text(output& out, const file_summary& summary, const warning& w,
                      std::string_view lead);
// Hints on what a whole file looks like, each on lines of its own after
// `indent`, naming the file as `file`.
void put_file_hints(output& out, const std::vector<file_hint>& hints, std::string_view file,
                    std::string_view indent);
// The run file's hints (summary.hints), said once per file.
void put_run_file_hints_text(output& out, const file_summary& summary);

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
