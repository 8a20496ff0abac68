#include "explain/variants.h"

#include <algorithm>
#include <array>
#include <limits>

namespace runcheck::explain {

namespace {

constexpr int no_budget = std::numeric_limits<int>::max();

constexpr variant selection(std::string_view name, std::string_view description,
                            selection_rules rules) {
  return {
      .name = name, .description = description, .how = variant::method::selection, .rules = rules};
}

constexpr std::array<variant, 15> variants = {
    selection("buffer_1", "a program with a buffer of 1 record", {.buffer_size = 1}),
    selection("buffer_2", "a program with a buffer of 2 records", {.buffer_size = 2}),
    selection("buffer_3", "a program with a buffer of 3 records", {.buffer_size = 3}),
    selection("buffer_4", "a program with a buffer of 4 records", {.buffer_size = 4}),
    selection("buffer_6", "a program with a buffer of 6 records", {.buffer_size = 6}),
    selection("buffer_7", "a program with a buffer of 7 records", {.buffer_size = 7}),
    selection("buffer_8", "a program with a buffer of 8 records", {.buffer_size = 8}),
    selection("buffer_9", "a program with a buffer of 9 records", {.buffer_size = 9}),
    selection("buffer_10", "a program with a buffer of 10 records", {.buffer_size = 10}),
    selection("equal_keys_frozen", "a program that freezes a key equal to the last key written",
              {.freeze_equal_keys = true}),
    {.name = "natural_runs",
     .description = "a program that begins a new run whenever the next key read is smaller",
     .how = variant::method::natural_runs},
    {.name = "sorted_fives",
     .description = "a program that loads, sorts and writes the keys five at a time",
     .how = variant::method::sorted_fives},
    {.name = "one_sorted_run",
     .description = "a program that writes all keys as one sorted run",
     .how = variant::method::one_sorted_run},
    selection("budget_ignored", "a program that ignores the step budget of 500 passes",
              {.step_budget = no_budget}),
    selection("range_ignored", "a program that keeps the keys outside -1..32767",
              {.run_start_key = std::numeric_limits<std::int64_t>::min(),
               .key_ceiling = std::numeric_limits<std::int64_t>::max()}),
};

}  // namespace

std::span<const variant> known_variants() { return variants; }

run_list variant_runs(const variant& v, std::span<const std::int32_t> keys) {
  run_list runs;
  switch (v.how) {
    case variant::method::selection:
      return reference_runs(keys, played_rules(v, keys));
    case variant::method::natural_runs:
      for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i == 0 || keys[i] < keys[i - 1]) runs.emplace_back();
        runs.back().push_back(keys[i]);
      }
      break;
    case variant::method::sorted_fives:
      for (std::size_t i = 0; i < keys.size(); i += buffer_capacity) {
        const auto five = keys.subspan(i, std::min<std::size_t>(buffer_capacity, keys.size() - i));
        runs.emplace_back(five.begin(), five.end());
        std::sort(runs.back().begin(), runs.back().end());
      }
      break;
    case variant::method::one_sorted_run:
      runs.emplace_back(keys.begin(), keys.end());
      std::sort(runs.back().begin(), runs.back().end());
      break;
  }
  return runs;
}

selection_rules played_rules(const variant& v, std::span<const std::int32_t> keys) {
  selection_rules rules = v.rules;
  if (rules.step_budget == no_budget) {
    // Each key is written once and frozen at most once, and a melt needs a
    // freeze: 3 passes a key end every test case whose keys lie in the range.
    const auto enough = static_cast<std::int64_t>(keys.size()) * 3 + 2;
    rules.step_budget = static_cast<int>(std::max<std::int64_t>(enough, step_budget + 1));
  }
  return rules;
}

bool same_runs(const run_list& runs, const run_set& expected) {
  if (runs.size() != static_cast<std::size_t>(expected.run_count)) return false;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const auto keys = run_keys(expected, static_cast<std::int64_t>(r) + 1);
    if (!std::equal(runs[r].begin(), runs[r].end(), keys.begin(), keys.end())) return false;
  }
  return true;
}

}  // namespace runcheck::explain
