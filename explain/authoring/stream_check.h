// runcheck's check of a run file that a program writes one test case at a
// time, as coverage sees it: the expected runs and the program's text of
// each test case are handed in, in file order, and each test case is
// checked with the checker's own code (check_test_case) as soon as the text
// handed in so far decides it, up to the first test case that fails.
//
// The check of a test case reads from wherever the one before left the
// file, which need not be where its own text begins (a program whose runs
// differ reads out of step, and so does the right program's file after a
// test case whose first run is empty): the text not yet read is kept, with
// the test cases not yet decided. A check that reaches the end of the text
// handed in is done again once more text is there, or at the end of the
// file; one that finds a difference before that end is decided at once. A
// check can fall behind the test cases handed in (after an empty first run
// each count read skips a whole test case's lines): the expected runs of a
// few test cases waiting their turn are kept, and those of the others read
// again from the test-case file when their turn comes, so memory stays
// bounded.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/reading.h"
#include "runs/run_table.h"

namespace runcheck::explain {

// A copy of one test case's runs, with a run_set over it.
class kept_run_set {
 public:
  explicit kept_run_set(const run_set& runs);

  run_set view() {
    return {.run_count = run_count_, .run_end = ends_.data(), .keys = keys_.data()};
  }

 private:
  std::int32_t run_count_ = 0;
  std::vector<stored_run_end> ends_;
  std::vector<stored_key> keys_;
};

// The expected runs of a file's test cases once more, from the first on: a
// second reading of the test-case file, for a check that fell behind.
class runs_again {
 public:
  virtual ~runs_again() = default;
  // Test case t's runs, valid until the next call; t must not be below the
  // one asked for last.
  virtual run_set runs_of(std::int32_t t) = 0;

 protected:
  runs_again() = default;
  runs_again(const runs_again&) = default;
  runs_again& operator=(const runs_again&) = default;
};
using runs_again_maker = std::function<std::unique_ptr<runs_again>()>;

// Test cases waiting for their check whose expected runs are kept; those
// of the others are read again.
inline constexpr std::size_t max_kept_waiting = 64;

class stream_check {
 public:
  // `again` makes a second reading of the file where one is needed; without
  // one, every waiting test case's runs are kept.
  explicit stream_check(runs_again_maker again = {});
  stream_check(const stream_check& other);
  stream_check& operator=(const stream_check& other);
  stream_check(stream_check&&) noexcept = default;
  stream_check& operator=(stream_check&&) noexcept = default;
  ~stream_check() = default;

  // True when the next test case's check begins where its text will begin
  // (but for white space, which its count read skips), with nothing read
  // ahead: if that text is the expected listing and reads whole, it passes
  // without being read (add_passing).
  bool at_boundary() const { return !failed_ && next_ == added_ && blank(text_); }

  // The next test case: its expected runs and the text the program writes
  // for it, in the listing format.
  void add(const run_set& expected, std::string_view text);

  // The next test case, whose text is its expected listing and reads whole:
  // its count line and run lines, each shorter than a key-line read's 1999
  // characters, its first run not empty. Precondition: at_boundary().
  void add_passing();

  // The file ends after the test cases added: the checks still open are
  // done, reading its end where they reach it.
  void end();

  // The first test case that fails, once it is known (from 0).
  std::optional<std::int32_t> first_failure() const { return first_failure_; }
  // Test cases handed in, and decided: the test case checked next.
  std::int32_t added() const { return added_; }
  std::int32_t decided() const { return next_; }
  // The last test case whose check began where its text begins and ended
  // elsewhere: after it, the file is read out of step.
  std::optional<std::int32_t> left_step() const { return left_step_; }

 private:
  // Where a test case's own text begins, as an offset from the file's start.
  struct text_start {
    std::int32_t test_case = 0;
    std::int64_t offset = 0;
  };

  static bool blank(std::string_view text);
  // Checks the test cases waiting, in order, while the text decides them;
  // `newest` holds the runs of the test case added last.
  void decide(const run_set* newest);
  // The expected runs of test case t, which waits.
  run_set expected_of(std::int32_t t, const run_set* newest);
  // Drops the first `n` bytes of the text, read.
  void consume(std::int64_t n);
  // True when the check stands where test case t's own text begins, or
  // before it with nothing but white space between.
  bool at_start_of(std::int32_t t) const;

  std::string text_;       // the text the check has not read yet
  std::int64_t read_ = 0;  // the file's offset of text_[0]
  std::int32_t next_ = 0;  // the test case checked next: those from it to added_ wait
  std::map<std::int32_t, kept_run_set> kept_;  // some waiting test cases' runs
  std::deque<text_start> starts_;              // of the texts not passed yet, in order
  std::int32_t added_ = 0;
  bool ended_ = false;
  bool failed_ = false;
  std::optional<std::int32_t> first_failure_;
  std::optional<std::int32_t> left_step_;
  std::unique_ptr<key_line> line_;
  std::shared_ptr<const runs_again_maker> again_;  // shared with copies
  std::unique_ptr<runs_again> reading_again_;      // each copy's own, made when needed
};

}  // namespace runcheck::explain
