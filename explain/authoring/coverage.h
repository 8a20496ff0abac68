// Coverage: what a test-case file puts to the test, for its author. Which
// rules of replacement selection its test cases exercise, and which faulty
// programs of the catalogue (variants.h) it catches: a program is caught
// when runcheck fails the run file it writes, by the checker's own
// comparison (check_test_case) of the file it writes, test case by test
// case in the listing format, or when it never finishes; the test case
// named is the first the checker fails. A file on which runcheck fails the
// right program's own listing cannot be used.
//
// The file is read and generated with runcheck's own reading and stops
// (expected_runs.h), one test case at a time, and memory holds one test
// case and what the checks read ahead (stream_check.h). A program's run
// file is the right program's until a test case where its runs differ: up
// to there its check is the right listing's, so it is checked on its own
// only from there, and it is played no more once caught; where it provably
// writes the right runs (writes_right_runs) it is not played at all.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "explain/diagnosis/variants.h"
#include "explain/report/report.h"
#include "generation/run_generator.h"
#include "input/text_reader.h"
#include "runs/run_table.h"

namespace runcheck::explain {

// The rules of replacement selection that a test case can exercise, as the
// right program runs it.
enum class rule {
  freeze,                  // a key frozen: it is below the last key of its run
  melt,                    // the buffer wholly frozen, melted into a second run
  key_written_after_melt,  // a key written to a run that a melt began
  equal_key_written,       // a key equal to the last key written, written to the same run
  key_minus_one_written,   // a key of -1, the lowest that reaches a run, written
  key_32767_written,       // a key of 32767, the highest that reaches a run, written
  key_below_range,         // a key below -1 loaded into the buffer
  key_above_range,         // a key above 32767 loaded into the buffer
  fewer_keys_than_buffer,  // fewer keys than the buffer's five records
  one_key,                 // a test case of one key
  budget_spent,            // the 500 passes ran out before the test case finished
  empty_first_run,         // no key written: the first run (and every run) is empty
  longest_listing_line,    // a listing line of 2000 characters with its line break
};
inline constexpr std::size_t rule_count = 13;

// The rule as an identifier, as in JSON ("freeze"), and as a noun phrase.
std::string_view rule_name(rule r);
std::string_view rule_description(rule r);

// What one test case puts to the test on its own: bit r for each rule r
// exercised; the programs it catches, each one whose run file holding this
// test case alone runcheck fails, or that never finishes on it.
struct test_case_coverage {
  std::uint32_t rules = 0;
  variant_set variants = 0;
};

// What the test case of `keys` does, given the runs and the result of the
// right program (generate_runs); only the programs in `tried` are played.
test_case_coverage cover_test_case(std::span<const std::int32_t> keys, const run_set& runs,
                                   const generation_result& result,
                                   variant_set tried = all_variants());

// Test cases named in a report: the first few by number, the rest counted.
inline constexpr std::size_t max_listed_test_cases = 3;
struct test_case_list {
  std::vector<std::int32_t> first;  // from 0, at most max_listed_test_cases
  std::int64_t count = 0;
};

struct rule_coverage {
  rule what = rule::freeze;
  test_case_list test_cases;  // the test cases that exercise it
};

struct variant_coverage {
  std::string_view name;  // from the catalogue
  std::string_view description;
  // From 0: the first test case runcheck fails on the program's run file,
  // or on which the program never finishes.
  std::optional<std::int32_t> caught_by;
  bool never_finishes = false;  // it never finishes on test case caught_by
};

// Why runcheck fails the right program's own listing of the file.
struct right_listing_failure {
  std::int32_t test_case = 0;  // the first test case runcheck fails (from 0)
  // The test case after which runcheck reads the listing out of step, and
  // why: its first run is empty, so the count read skips its empty run
  // lines; or its listing line of run `run` is 1999 characters or more, so
  // it is read in pieces. None where the listing is read in step.
  std::optional<std::int32_t> out_of_step_after;
  bool empty_first_run = false;
  std::int64_t run = 0;
  std::int64_t characters = 0;  // that line's length, its line break left out
};

// What the test-case file holds that its author may not mean, as runcheck
// reads it, each said once: the first test case (and line) it concerns,
// and how many more.
struct file_warning {
  enum class kind {
    no_test_cases,       // the file holds no test case
    text_after,          // text after the last test case, at `line`: never read
    key_line_in_pieces,  // 2000 characters or more: its rest is read as the next count
    key_line_tabs,       // tabs in a key line: only spaces separate keys
    key_line_text,       // text in a key line, read as the number 0 or cut short
    key_line_more_keys,  // more numbers than num_keys: the rest are not keys
  };
  kind what = kind::no_test_cases;
  std::int32_t test_case = 0;  // from 0
  std::int64_t line = 0;       // from 1; 0 where no line applies
  std::int64_t more = 0;       // test cases past the first it concerns
};

// Catches of each test case are worked out for at most this many test
// cases, unless every one is asked for (coverage_options::every_test_case).
inline constexpr std::int32_t max_analysed_test_cases = 1000;

struct coverage_options {
  // Every test case's catches, as --minimize needs them; else the first
  // max_analysed_test_cases.
  bool every_test_case = false;
};

struct coverage_report {
  std::string test_case_file;
  std::optional<stop_report> stopped;                // the file cannot be used, and why
  std::optional<right_listing_failure> right_fails;  // the file cannot be used either
  std::int32_t num_test_cases = 0;
  std::int64_t num_keys = 0;
  std::vector<rule_coverage> rules;        // every rule, in the order of `rule`
  std::vector<variant_coverage> variants;  // every program, in the catalogue's order
  // Test cases whose first run is empty with another test case after them:
  // the count read skips their empty run lines, so a run file equal to the
  // expected listing is read out of step after them, and may fail.
  test_case_list out_of_step;
  // Test cases whose first run is empty: runcheck checks their run count
  // alone, since every run line is empty and nothing of it is compared.
  test_case_list count_alone;
  std::vector<file_warning> warnings;

  // Each of the first `analysed` test cases' catches on its own
  // (test_case_coverage::variants), and their number of keys.
  std::int32_t analysed = 0;
  std::vector<variant_set> catches;
  std::vector<std::int32_t> keys_of;
  // Of the analysed test cases, where all are: those that catch nothing that
  // another does not; and a smallest subset that keeps every catch.
  test_case_list redundant;
  std::vector<std::int32_t> smallest_subset;

  bool every_test_case_analysed() const { return analysed == num_test_cases; }
  std::int32_t caught() const;
  std::int32_t exercised() const;
  // 0 every program caught, 1 some not, 2 the file cannot be used.
  int status() const;
};

// Reads the test-case file `test_case_file`, or `text` where given (a file
// held in memory, reported under that name), and reports what it puts to
// the test. A file that stops runcheck is reported as stopped.
coverage_report check_coverage(const std::string& test_case_file,
                               std::optional<std::string_view> text = std::nullopt,
                               const coverage_options& options = {});

// The test cases of `keys` as a test-case file, in the format runcheck
// reads: the count, then each test case's count line and key line.
std::string test_case_file_text(std::span<const std::vector<std::int32_t>> keys);

}  // namespace runcheck::explain
