// Fuzz target for --coverage, in process: coverage's claims on a test-case
// file, each held to runcheck's own check of the run file it is about.
//
// Input: the seeds of fuzz_program (its byte 0 and the run file after
// "\n====\n" are ignored): the test-case file's bytes.
//
// Checks, where coverage can use the file: runcheck fails the right
// program's own listing exactly where coverage says it does (or nowhere);
// and where it passes it, for every program of the catalogue, the run file
// the program writes (up to a test case on which it never finishes) fails
// runcheck's check first at the test case coverage names, or, before any
// such test case, the program never finishes where coverage says; else
// coverage names it a gap. Each test case's own catches are held to the
// check of a file holding that test case alone. Where coverage says the
// file stops runcheck, the reading stops on it too.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/run_file_checker.h"
#include "explain/authoring/coverage.h"
#include "explain/diagnosis/variants.h"
#include "fuzz/fuzz_support.h"
#include "generation/expected_runs.h"
#include "input/text_reader.h"
#include "platform/output.h"
#include "runs/listing.h"

namespace {

using namespace runcheck;
using namespace runcheck::explain;

class first_failure_finder final : public check_observer {
 public:
  void count_read(const count_report& /*count*/) override {}
  void run_line_read(const run_line_report& /*line*/) override {}
  void wrong_run(const run_report& /*run*/) override {}
  void test_case_checked(const test_case_verdict& verdict) override {
    if (!verdict.passed && !first) first = verdict.test_case;
  }
  std::optional<std::int32_t> first;
};

std::optional<std::int32_t> first_failure(const std::string& text, const run_table& table) {
  text_reader file = read_text(text);
  const auto line = std::make_unique<key_line>();
  first_failure_finder finder;
  check_run_file(file, table, *line, finder);
  return finder.first;
}

void put_listing(output& out, const run_list& runs) {
  out.put_int(std::ssize(runs)).put('\n');
  for (const auto& run : runs) {
    for (std::size_t i = 0; i < run.size(); ++i) (i > 0 ? out.put(' ') : out).put_int(run[i]);
    out.put('\n');
  }
}

// Keeps every test case's keys as the reading gives them.
class keys_keeper final : public generation_observer {
 public:
  void test_case_generated(const test_case& tc, const run_set& /*runs*/,
                           const generation_result& /*result*/) override {
    keys.emplace_back(tc.keys.begin(), tc.keys.end());
  }
  std::vector<std::vector<std::int32_t>> keys;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string_view file = rest.substr(0, std::min(rest.find("\n====\n"), rest.size()));
  const coverage_report report = check_coverage("tests.txt", file);

  stop why;
  const auto line = std::make_unique<key_line>();
  keys_keeper keeper;
  const std::optional<expected_runs> expected =
      generate_expected_runs(read_text(file), *line, &keeper, why);
  FUZZ_CHECK(report.stopped.has_value() == !expected.has_value());
  if (!expected) return 0;
  const run_table& table = expected->table;
  FUZZ_CHECK(report.num_test_cases == table.size());

  output right;
  for (std::int32_t t = 0; t < table.size(); ++t) print_run_set(right, table[t]);
  const std::optional<std::int32_t> right_fails = first_failure(right.text(), table);
  FUZZ_CHECK(right_fails.has_value() == report.right_fails.has_value());
  if (right_fails) {
    FUZZ_CHECK(*right_fails == report.right_fails->test_case);
    return 0;
  }
  for (std::size_t v = 0; v < known_variants().size(); ++v) {
    const variant& program = known_variants()[v];
    output written;
    std::optional<std::int32_t> endless;
    for (std::size_t t = 0; t < keeper.keys.size() && !endless; ++t) {
      const played_runs played = variant_runs(program, keeper.keys[t]);
      if (played.never_finishes) {
        endless = static_cast<std::int32_t>(t);
      } else {
        put_listing(written, played.runs);
      }
    }
    std::optional<std::int32_t> caught = first_failure(written.text(), table);
    bool never_finishes = false;
    if (endless && (!caught || *caught >= *endless)) {
      caught = endless;
      never_finishes = true;
    }
    FUZZ_CHECK(report.variants[v].caught_by == caught);
    FUZZ_CHECK(report.variants[v].never_finishes == never_finishes);
  }
  for (std::int32_t t = 0; t < report.analysed; ++t) {
    run_table alone;
    run_set set = *alone.open_test_case();
    generate_runs(keeper.keys[static_cast<std::size_t>(t)], set);
    alone.close_test_case(set);
    for (const variant& program : known_variants()) {
      const played_runs played = variant_runs(program, keeper.keys[static_cast<std::size_t>(t)]);
      output written;
      put_listing(written, played.runs);
      const bool catches = played.never_finishes || first_failure(written.text(), alone);
      FUZZ_CHECK(catches == ((report.catches[static_cast<std::size_t>(t)] & bit_of(program)) != 0));
    }
  }
  return 0;
}
