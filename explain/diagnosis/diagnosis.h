// The diagnosis: turns the checker's findings on one run file into the
// report of report.h, and hands it to a printer test case by test case.
//
// The run file is checked once for the verdicts and the counts, which the
// summary gives first, reading nothing else. Only when a test case fails, a
// run line passes with a warning or a first run is empty is it checked a
// second time, with a second reader trailing the checker: each test case's
// findings get their lines and the text that stands there, their hints,
// the explanation of the first wrong run (from the test case's keys, read
// again from the test-case file by one more forward reader) and the faulty
// program whose runs they are, and the report goes to the printer as soon
// as the next test case's count says whether the file is still read in
// step. So memory holds one test case's findings, capped (report.h), never
// the file and never the findings of the test cases before.
//
// In step: the first test case is read in step. The next is too when its
// count is read from a line that holds that one number and nothing else, as
// a count line does; or when this one was read in step, the check took its
// lines as it takes those of a file holding the expected listing (its count
// right, no run line read in pieces, no empty run line skipped by its count
// read; or its count read at the end of the file), and the next count read
// is right (as where a count and its first run share a line), stands alone
// on its line (a number or not), or meets the end of the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "explain/diagnosis/independent_score.h"
#include "explain/report/report.h"
#include "generation/expected_runs.h"
#include "input/reading.h"

namespace runcheck::explain {

// What the test-case file holds that will surprise its author: the test
// cases concerned, in order, and text after the last test case.
struct test_case_file_notes {
  struct flagged {
    std::int32_t test_case = 0;
    bool keys_out_of_range = false;  // keys outside -1..32767, which reach no run
    bool budget_spent = false;       // its generation ended at the 500th pass
  };
  std::vector<flagged> test_cases;
  std::int64_t text_after_line = 0;  // the line of text after the last test case; 0 none
  // Every test case's expected lines, for the independent score; empty
  // where not kept (test_case_file_watcher).
  independent_blocks blocks;
};

// Collects the notes while the expected runs are generated.
class test_case_file_watcher final : public generation_observer {
 public:
  // `keep_blocks`: keep every test case's expected lines for the
  // independent score (independent_score.h), worth it when several run
  // files are checked; else each run file's scan makes them as it goes.
  explicit test_case_file_watcher(bool keep_blocks = true) : keep_blocks_(keep_blocks) {}

  void test_case_generated(const test_case& tc, const run_set& runs,
                           const generation_result& result) override;

  // The notes, once the phase is done; `expected.text_after` is located in
  // `test_case_file`.
  test_case_file_notes finish(const std::string& test_case_file, const expected_runs& expected);

 private:
  test_case_file_notes notes_;
  std::int32_t generated_ = 0;
  bool keep_blocks_ = true;
};

struct diagnosis_options {
  bool strict = false;  // a warning fails its test case
  // The explained failing test cases keep their runs, expected and read
  // (test_case_report::expected_runs, read_runs), for a printer that draws
  // them.
  bool keep_runs = false;
};

// Checks `run_file` against `expected`, the runs of `test_case_file`, and
// reports it. `line` is the caller's line buffer. Gives the summary.
file_summary report_run_file(const std::string& test_case_file, const std::string& run_file,
                             const expected_runs& expected, const test_case_file_notes& notes,
                             const diagnosis_options& options, key_line& line,
                             report_printer& printer);

// Reports `run_file` as not checked: the test-case file stopped the phase
// before checking, for the reason `why`. Gives the summary.
file_summary report_stopped(const std::string& test_case_file, const std::string& run_file,
                            const stop& why, report_printer& printer);

// The words for a stop of the phase: runcheck's message, or for a file that
// did not open, why.
std::string stop_text(const stop& why, const std::string& test_case_file);

}  // namespace runcheck::explain
