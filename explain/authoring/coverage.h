// Coverage: what a test-case file puts to the test, for its author. Which
// rules of replacement selection its test cases exercise, and which faulty
// programs of the catalogue (variants.h) it catches: a program is caught
// when some test case's runs differ from the right program's, so a run file
// it writes fails.
//
// The file is read and generated with runcheck's own reading and stops
// (expected_runs.h), one test case at a time, and memory holds one test
// case. Each variant is played one test case at a time and stops at its
// first key that differs; once caught it is not played again, and it is
// not played at all on a test case where it provably cannot differ.
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
inline constexpr std::size_t rule_count = 12;

// The rule as an identifier, as in JSON ("freeze"), and as a noun phrase.
std::string_view rule_name(rule r);
std::string_view rule_description(rule r);

// What one test case puts to the test: bit r for each rule r exercised, bit
// v for each variant v of known_variants() it catches.
struct test_case_coverage {
  std::uint32_t rules = 0;
  variant_set variants = 0;
};

// What the test case of `keys` does, given the runs and the result of the
// right program (generate_runs); only the variants in `tried` are played.
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
  std::optional<std::int32_t> caught_by;  // from 0: the first test case that tells it apart
};

struct coverage_report {
  std::string test_case_file;
  std::optional<stop_report> stopped;  // the file cannot be used, and why
  std::int32_t num_test_cases = 0;
  std::int64_t num_keys = 0;
  std::vector<rule_coverage> rules;        // every rule, in the order of `rule`
  std::vector<variant_coverage> variants;  // every variant, in the catalogue's order
  // Test cases whose first run is empty with another test case after them:
  // the count read skips their empty run lines, so a run file equal to the
  // expected listing is read out of step after them, and may fail.
  test_case_list out_of_step;

  std::int32_t caught() const;
  std::int32_t exercised() const;
  // 0 every variant caught, 1 some not, 2 the file cannot be used.
  int status() const;
};

// Reads the test-case file `test_case_file`, or `input` where given (a file
// held in memory, reported under that name), and reports what it puts to
// the test. A file that stops runcheck is reported as stopped.
coverage_report check_coverage(const std::string& test_case_file,
                               std::optional<text_reader> input = std::nullopt);

}  // namespace runcheck::explain
