#include "explain/authoring/test_case_catches.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "check/run_file_checker.h"
#include "input/text_reader.h"
#include "platform/output.h"
#include "runs/listing.h"

namespace runcheck::explain {

namespace {

static_assert(rule_count == static_cast<std::size_t>(rule::longest_listing_line) + 1);

constexpr std::uint32_t bit(rule r) { return std::uint32_t{1} << static_cast<unsigned>(r); }

constexpr std::array<std::pair<std::string_view, std::string_view>, rule_count> rules = {{
    {"freeze", "a key frozen, below the last key of its run"},
    {"melt", "a melt: the buffer wholly frozen, and a second run begun"},
    {"key_written_after_melt", "a key written to a run that a melt began"},
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

int listing_line_length(std::span<const stored_key> run) {
  int length = std::max<int>(0, static_cast<int>(run.size()) - 1);  // the spaces
  for (const stored_key k : run) length += decimal_length(k);
  return length;
}

class no_findings final : public check_observer {
 public:
  void count_read(const count_report& /*count*/) override {}
  void run_line_read(const run_line_report& /*line*/) override {}
  void wrong_run(const run_report& /*run*/) override {}
  void test_case_checked(const test_case_verdict& /*verdict*/) override {}
};

// True when runcheck fails a run file that holds `text` alone for the test
// case whose runs are `expected`.
bool fails_alone(const run_set& expected, const std::string& text, key_line& line) {
  text_reader file = read_text(text);
  no_findings findings;
  return !check_test_case(file, expected, 0, line, findings);
}

}  // namespace

listing_shape shape_of(const run_set& runs) {
  listing_shape shape{.empty_first_run = run_length(runs, 1) == 0};
  // A line of read_str_size characters with its line break is read in
  // pieces, leaving the line break: the next count read skips it, but a
  // next run line's read does not. A longer line leaves more.
  const auto most = static_cast<std::int64_t>(read_str_size);
  for (std::int64_t r = 1; r <= runs.run_count && shape.long_run < 0; ++r) {
    const std::int64_t with_break = listing_line_length(run_keys(runs, r)) + 1;
    if (with_break > most || (with_break == most && r < runs.run_count)) {
      shape.long_run = r - 1;
      shape.long_characters = with_break - 1;
    }
  }
  return shape;
}

// The rules `runs` exercise.
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
    flag(rule::key_written_after_melt, r > 1 && !run.empty());
    for (std::size_t i = 0; i < run.size(); ++i) {
      flag(rule::key_minus_one_written, run[i] == lowest_written_key);
      flag(rule::key_32767_written, run[i] == highest_written_key);
      flag(rule::equal_key_written, i > 0 && run[i] == run[i - 1]);
    }
    // With its line break, the longest a key line allows.
    flag(rule::longest_listing_line,
         listing_line_length(run) + 1 >= static_cast<std::int64_t>(read_str_size));
  }
  return found;
}

// The listing of runs that need not fit the run table: a program's runs.
std::string listing_of(const run_list& runs) {
  output out;
  out.put_int(std::ssize(runs)).put('\n');
  for (const auto& run : runs) {
    for (std::size_t i = 0; i < run.size(); ++i) {
      if (i > 0) out.put(' ');
      out.put_int(run[i]);
    }
    out.put('\n');
  }
  return out.text();
}

std::string listing_of(const run_set& runs) {
  output out;
  print_run_set(out, runs);
  return out.text();
}

outcome play_against(const variant& v, std::span<const std::int32_t> keys, const run_set& runs,
                     const generation_result& result) {
  if (writes_right_runs(v, keys, result, runs)) return {};
  const comparison how = compare(v, keys, runs);
  if (how != comparison::differs) return {.how = how};
  played_runs played = variant_runs(v, keys);
  if (played.never_finishes) return {.how = comparison::never_finishes};
  return {.how = comparison::differs, .runs = std::move(played.runs)};
}

// What a test case catches on its own, given each program's outcome. The
// count read of a listing gives its count, so a program that writes another
// number of runs fails on it without a line read.
bool catches_alone(const outcome& o, const run_set& runs, key_line& line) {
  if (o.how == comparison::same) return false;
  if (o.how == comparison::never_finishes || std::ssize(o.runs) != runs.run_count) return true;
  return fails_alone(runs, listing_of(o.runs), line);
}

std::string_view rule_name(rule r) { return rules[static_cast<std::size_t>(r)].first; }

std::string_view rule_description(rule r) { return rules[static_cast<std::size_t>(r)].second; }

test_case_coverage cover_test_case(std::span<const std::int32_t> keys, const run_set& runs,
                                   const generation_result& result, variant_set tried) {
  test_case_coverage covered{.rules = rules_of(keys, runs, result)};
  key_line line;
  for (const variant& v : known_variants()) {
    if ((tried & bit_of(v)) == 0 || writes_right_runs(v, keys, result, runs)) continue;
    const comparison how = compare(v, keys, runs);
    if (how == comparison::same) continue;
    // Another number of runs fails on the count, and needs no more than
    // counting them.
    const std::optional<std::int64_t> count =
        how == comparison::never_finishes ? std::nullopt : variant_run_count(v, keys);
    if (!count || *count != runs.run_count) {
      covered.variants |= bit_of(v);
      continue;
    }
    played_runs played = variant_runs(v, keys);
    const outcome o{.how = comparison::differs, .runs = std::move(played.runs)};
    if (catches_alone(o, runs, line)) covered.variants |= bit_of(v);
  }
  return covered;
}

}  // namespace runcheck::explain
