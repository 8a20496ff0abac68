// The lines of one test case, as the check read them number by number:
// kept while the test case is checked, capped, and reused from test case to
// test case. What the check took on its bytes (the listing's line of the
// expected run) is not kept: it reads as the expected run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "check/run_file_checker.h"
#include "explain/report/report.h"
#include "runs/run_table.h"

namespace runcheck::explain {

// One run line read number by number.
struct line_read {
  std::int64_t run = 0;
  std::int64_t offset = 0;
  std::size_t first = 0;  // where its numbers begin among the test case's kept numbers
  std::size_t kept = 0;   // numbers kept: all of them, or fewer past a cap
  std::size_t count = 0;  // numbers read
  bool cut = false;       // read in pieces: the rest of the line is the next read's
  bool last_token_blank = false;
  bool wrong = false;   // it differs from the expected run of its index
  bool warned = false;  // it passes, with numbers after its run's last key
  bool locate = false;  // its line is wanted
  // Once located:
  std::int64_t line = 0;
  bool lone_cr = false;
};

// A line that holds `runs` expected runs from its own on, or (run_split)
// one run whose rest the next line holds.
struct line_structure {
  const line_read* line = nullptr;  // none found
  std::int64_t runs = 0;
};

class test_case_lines {
 public:
  // What one test case keeps of the lines read number by number: enough for
  // the faulty programs' runs (at most one run per key, 1,000 keys a test
  // case) with room to spare.
  static constexpr std::size_t max_lines = 1024;
  static constexpr std::size_t max_numbers = std::size_t{1} << 16;

  // Forgets the lines of the test case before; `expected` are the runs of
  // the next, and must outlive its lines.
  void begin(const run_set& expected);

  // The check's findings, in file order.
  void add(const run_line_report& line);
  void add_wrong(const run_report& run);

  const run_set& expected() const { return expected_; }
  std::span<line_read> lines() { return {lines_.data(), used_}; }
  std::span<const line_read> lines() const { return {lines_.data(), used_}; }
  // The first max_kept_runs wrong runs, and how many more there were.
  const std::vector<run_report>& wrong() const { return wrong_; }
  std::int64_t more_wrong() const { return more_wrong_; }
  // A line, or some of its numbers, went past the caps.
  bool lost() const { return lost_; }

  // The line the check read as run `run`, where it was read number by
  // number and kept.
  const line_read* line_of(std::int64_t run) const;

  // Appends the numbers of run line `run` as read to `into`: those kept, or
  // for a line taken on its bytes the expected run's keys; the 0 of a blank
  // last token left out. False for a line not kept.
  bool append_numbers(std::int64_t run, std::vector<std::int32_t>& into) const;

  // The first `run_lines` run lines as read, one run a line, into `into`
  // (emptied first). False where one is not kept.
  bool runs_as_read(std::int64_t run_lines, laid_runs& into) const;

  // For a printer that draws them: the expected runs, and the first
  // `run_lines` run lines as read (at most as many as the expected runs,
  // each cut at max_run_keys numbers), or none with `report.read_runs_lost`.
  void keep_runs(std::int64_t run_lines, test_case_report& report) const;

  // Marks the lines whose place is wanted: the wrong and the warned ones,
  // the first read in pieces, the first past the expected runs, and those
  // of the structure found, which it gives: the first line that holds two
  // expected runs or more and nothing else (its numbers after the first run
  // are no warning then), and the first that holds a proper beginning of
  // its run whose rest the next line holds.
  struct structures {
    line_structure merged;
    line_structure split;
  };
  structures mark_lines_to_locate();

 private:
  run_set expected_;
  std::vector<line_read> lines_;  // the first used_ are this test case's
  std::size_t used_ = 0;
  std::vector<std::int32_t> numbers_;
  std::vector<run_report> wrong_;
  std::int64_t more_wrong_ = 0;
  bool lost_ = false;
  std::vector<std::int32_t> scratch_;
  std::vector<std::int32_t> scratch_next_;
};

}  // namespace runcheck::explain
