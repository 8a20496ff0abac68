// The independent score: a second count of passing test cases beside
// runcheck's, under which one slip in a run file does not fail every test
// case after it. runcheck's verdicts and counts never depend on it.
//
// The rule: the run file's lines are read once, front to back, from a place
// that starts at its first line. For each test case in order, its expected
// lines (the count line, then one line per run) are looked for as a block
// of consecutive lines starting at the place or at any of the lines after
// it within reach: independent_reach_factor times the test case's own
// expected line count, and at least independent_reach_minimum lines. Where
// the block stands, the test case passes independently and the place moves
// past the block; where it does not, the test case fails independently and
// the place stays. A count line matches when it holds the count alone; a run
// line when it holds the run's keys in order, written as the listing
// writes them; numbers are separated by
// spaces and tabs, and white space at either end of a line is ignored (a
// CR LF line end reads as LF). Blank lines are skipped, in the file and in
// the block (where an empty run's line is blank), as a count read skips
// them. Numbers after a run's last key, which runcheck only warns of, make
// the line another run's.
//
// The scan keeps only the lines within reach, each as a 32-bit fingerprint
// of its words (as written, so "05" is not "5"), so memory stays a few
// times one test case's line count, and every line of the file is read
// once; the lines within reach are compared once for each test case that
// looks for its block there. A line longer than any run's line can be
// (longest_line bytes) matches none.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "input/text_reader.h"
#include "runs/run_table.h"

namespace runcheck::explain {

inline constexpr std::int64_t independent_reach_factor = 3;
inline constexpr std::int64_t independent_reach_minimum = 8;

// A line's fingerprint: 32 bits, as a block holds at least two lines (a
// count and a run), so two blocks that differ match by chance once in 2^64.
using line_print = std::uint32_t;

// Every test case's expected lines as fingerprints, made once for a
// test-case file and used for each run file: 4 bytes a line and 8 a test
// case.
class independent_blocks {
 public:
  // Adds the next test case, whose expected runs are `runs`.
  void add(const run_set& runs);

  // After the last test case: gives back the room grown for more.
  void done();

  // Whether test case t was added.
  bool has(std::int32_t t) const { return static_cast<std::size_t>(t) < ends_.size(); }

  // Forgets every test case.
  void clear() {
    fingerprints_.clear();
    ends_.clear();
  }

  // Test case t's block (from 0, in the order added).
  std::span<const line_print> block(std::int32_t t) const;

 private:
  std::vector<line_print> fingerprints_;
  std::vector<std::size_t> ends_;  // where each test case's block ends
};

class independent_scan {
 public:
  explicit independent_scan(text_reader file) : file_(std::move(file)) {}

  // Whether test case t of `blocks`, whose expected runs are `runs`,
  // passes independently; moves the place past its lines when it does.
  // Test cases come in order. Where `blocks` does not hold test case t
  // (they were not kept for a single run file), its block is made here.
  bool next(const independent_blocks& blocks, std::int32_t t, const run_set& runs);

 private:
  // Reads the next line of the file that is not blank into the window;
  // false at its end.
  bool read_line();

  text_reader file_;
  std::deque<line_print> window_;  // the lines from the place on, read ahead
  std::string pieces_;             // a line that spans the reader's blocks
  independent_blocks made_;        // the block made here, where not kept
};

}  // namespace runcheck::explain
