#include "explain/authoring/coverage.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "explain/diagnosis/stops.h"
#include "explain/diagnosis/variants.h"
#include "generation/expected_runs.h"
#include "generation/reference_generator.h"
#include "input/reading.h"

namespace runcheck::explain {

namespace {

static_assert(rule_count == static_cast<std::size_t>(rule::longest_listing_line) + 1);

constexpr std::uint32_t bit(rule r) { return std::uint32_t{1} << static_cast<unsigned>(r); }

constexpr std::array<std::pair<std::string_view, std::string_view>, rule_count> rules = {{
    {"freeze", "a key frozen, below the last key of its run"},
    {"melt", "a melt: the buffer wholly frozen, and a second run begun"},
    {"equal_key_written", "a key equal to the last key written, written to the same run"},
    {"key_minus_one_written", "a key of -1 written to a run"},
    {"key_32767_written", "a key of 32767 written to a run"},
    {"key_below_range", "a key below -1 in the buffer"},
    {"key_above_range", "a key above 32767 in the buffer"},
    {"fewer_keys_than_buffer", "fewer keys than the buffer's 5 records"},
    {"one_key", "a test case of one key"},
    {"budget_spent", "the budget of 500 passes spent before the test case finished"},
    {"empty_first_run", "an empty first run"},
    {"longest_listing_line",
     "a listing line of 2000 characters with its line break, the longest a key line allows"},
}};

int decimal_length(std::int32_t k) {
  int length = k < 0 ? 2 : 1;
  for (std::int64_t rest = k < 0 ? -std::int64_t{k} : k; rest >= 10; rest /= 10) ++length;
  return length;
}

std::uint32_t rules_of(std::span<const std::int32_t> keys, const run_set& runs,
                       const generation_result& result) {
  std::uint32_t found = 0;
  const auto flag = [&](rule r, bool exercised) {
    if (exercised) found |= bit(r);
  };
  // Every pass writes, freezes, melts or finishes.
  const int freezes = result.steps - result.write_count - result.melts - (result.finished ? 1 : 0);
  flag(rule::freeze, freezes > 0);
  flag(rule::melt, result.melts > 0);
  flag(rule::fewer_keys_than_buffer, keys.size() < static_cast<std::size_t>(buffer_capacity));
  flag(rule::one_key, keys.size() == 1);
  flag(rule::budget_spent, !result.finished);
  flag(rule::empty_first_run, run_length(runs, 1) == 0);
  for (const std::int32_t k : keys.first(static_cast<std::size_t>(result.read_count))) {
    flag(rule::key_below_range, k < lowest_written_key);
    flag(rule::key_above_range, k > highest_written_key);
  }
  for (std::int64_t r = 1; r <= runs.run_count; ++r) {
    const std::span<const stored_key> run = run_keys(runs, r);
    // The run's listing line: its keys, a space between each two, and the line break.
    auto length = static_cast<std::int64_t>(run.size());
    for (std::size_t i = 0; i < run.size(); ++i) {
      flag(rule::key_minus_one_written, run[i] == lowest_written_key);
      flag(rule::key_32767_written, run[i] == highest_written_key);
      flag(rule::equal_key_written, i > 0 && run[i] == run[i - 1]);
      length += decimal_length(run[i]);
    }
    flag(rule::longest_listing_line, length >= static_cast<std::int64_t>(read_str_size));
  }
  return found;
}

bool differs(const variant& v, std::span<const std::int32_t> keys, const run_set& expected) {
  const played_runs played = variant_runs(v, keys);
  return played.never_finishes || !same_runs(played.runs, expected);
}

void add(test_case_list& list, std::int32_t test_case) {
  if (list.first.size() < max_listed_test_cases) list.first.push_back(test_case);
  ++list.count;
}

// Sees each test case as it is generated and adds what it covers.
class coverage_observer final : public generation_observer {
 public:
  explicit coverage_observer(coverage_report& report) : report_(report) {}

  void test_case_generated(const test_case& tc, const run_set& runs,
                           const generation_result& result) override {
    const std::int32_t t = report_.num_test_cases++;
    report_.num_keys += tc.num_keys;
    // The empty first run before this one puts the reading out of step here.
    if (empty_first_run_) add(report_.out_of_step, *std::exchange(empty_first_run_, {}));
    const test_case_coverage covered = cover_test_case(tc.keys, runs, result, ~caught_);
    for (std::size_t r = 0; r < rule_count; ++r) {
      if ((covered.rules >> r & 1) != 0) add(report_.rules[r].test_cases, t);
    }
    for (std::size_t v = 0; v < report_.variants.size(); ++v) {
      if ((covered.variants >> v & 1) != 0) report_.variants[v].caught_by = t;
    }
    caught_ |= covered.variants;
    if ((covered.rules & bit(rule::empty_first_run)) != 0) empty_first_run_ = t;
  }

 private:
  coverage_report& report_;
  variant_set caught_ = 0;
  std::optional<std::int32_t> empty_first_run_;
};

}  // namespace

std::string_view rule_name(rule r) { return rules[static_cast<std::size_t>(r)].first; }

std::string_view rule_description(rule r) { return rules[static_cast<std::size_t>(r)].second; }

test_case_coverage cover_test_case(std::span<const std::int32_t> keys, const run_set& runs,
                                   const generation_result& result, variant_set tried) {
  test_case_coverage covered{.rules = rules_of(keys, runs, result)};
  const std::span<const variant> variants = known_variants();
  for (const variant& v : variants) {
    if ((tried & bit_of(v)) == 0 || writes_right_runs(v, keys, result, runs)) continue;
    if (differs(v, keys, runs)) covered.variants |= bit_of(v);
  }
  return covered;
}

std::int32_t coverage_report::caught() const {
  return static_cast<std::int32_t>(std::count_if(
      variants.begin(), variants.end(), [](const variant_coverage& v) { return v.caught_by; }));
}

std::int32_t coverage_report::exercised() const {
  return static_cast<std::int32_t>(std::count_if(
      rules.begin(), rules.end(), [](const rule_coverage& r) { return r.test_cases.count > 0; }));
}

int coverage_report::status() const {
  if (stopped) return 2;
  return caught() == static_cast<std::int32_t>(variants.size()) ? 0 : 1;
}

coverage_report check_coverage(const std::string& test_case_file,
                               std::optional<text_reader> input) {
  coverage_report report{.test_case_file = test_case_file};
  for (std::size_t r = 0; r < rule_count; ++r)
    report.rules.push_back({.what = static_cast<rule>(r)});
  for (const variant& v : known_variants())
    report.variants.push_back({.name = v.name, .description = v.description});

  stop why{.why = stop::reason::test_case_file_not_opened};
  if (!input) input = open_text_file(test_case_file.c_str(), &why.failure);
  const auto line = std::make_unique<key_line>();
  coverage_observer observer(report);
  if (!input ||
      !generate_expected_runs(std::move(*input), *line, &observer, why, runs_kept::none)) {
    report.stopped = describe_stop(why, test_case_file);
  }
  return report;
}

}  // namespace runcheck::explain
