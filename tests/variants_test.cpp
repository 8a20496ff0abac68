// The catalogue of faulty programs that runcheck-explain names and that
// coverage plays: each replacement-selection program is the plain algorithm
// with one change, as a copy of it written out here with that change shows;
// each writes other runs than the right program on some test case; a run
// file's runs are named by exactly the programs that write them; and where
// a program is said to write the right runs without being played, it does.
#include "explain/diagnosis/variants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

namespace runcheck::explain {
namespace {

using key_list = std::vector<std::int32_t>;

const variant& named(std::string_view name) {
  for (const variant& v : known_variants()) {
    if (v.name == name) return v;
  }
  ADD_FAILURE() << "no program " << name;
  return known_variants()[0];
}

// Test cases of the kinds that tell programs apart: random keys, many equal
// keys, descending keys, keys at -1 and 32767 and just outside, 1 to 600 keys
// (past the budget of 500 passes).
std::vector<key_list> probes(unsigned seed, int count) {
  std::mt19937 random(seed);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same keys every run
  std::vector<key_list> lists = {{-3},           {1, 2, -3},       {9, -3, 20},
                                 {9, 32767, -2}, {-1, 5},          {30, 10, 20},
                                 {1, 32768, 2},  key_list(600, 1), key_list(499, 1)};
  for (int i = 0; i < count; ++i) {
    const int kind = i % 5;
    const auto size = static_cast<std::size_t>(
        i % 11 == 0 ? std::uniform_int_distribution(1, 600)(random)
                    : std::uniform_int_distribution(1, i % 3 == 0 ? 6 : 40)(random));
    const std::int32_t top = kind == 1 ? 3 : 60;
    std::uniform_int_distribution<std::int32_t> key(0, top);
    std::uniform_int_distribution<int> edge(0, 19);
    key_list keys(size);
    for (std::int32_t& k : keys) {
      k = key(random);
      if (kind == 3) {
        // The edges: -1 and 32767, and a key just past each.
        switch (edge(random)) {
          case 0:
            k = -1;
            break;
          case 1:
            k = 32767;
            break;
          case 2:
            k = -2;
            break;
          case 3:
            k = 32768;
            break;
          default:
            break;
        }
      }
    }
    if (kind == 2) std::sort(keys.rbegin(), keys.rend());
    lists.push_back(std::move(keys));
  }
  return lists;
}

// Replacement selection as its rules read, on plain arrays, with at most
// one change: what each replacement-selection program of the catalogue is.
enum class change {
  buffer_size,                 // `value` slots
  equal_keys_frozen,           // a key equal to the last one written in its run frozen
  equal_keys_frozen_at_start,  // a key not above the last key, -1 at a run's start, frozen
  last_key_kept,               // no reset of the last key at a melt
  zero_slots,                  // fewer keys than slots: the others hold 0, as candidates
  budget,                      // a budget of `value` passes
  budget_of_writes,            // the budget counts keys written
  no_budget,                   // no budget
  ceiling,                     // the search for the smallest key starts at INT_MAX
  range,                       // every 32-bit key kept
};
struct mutant {
  change what;
  int value = 0;
};

// A program with no budget that has not finished after this many passes
// never does: every test case here finishes within 3 passes a key.
constexpr long endless = 20'000;

played_runs mutant_runs(const key_list& keys, mutant m) {
  struct slot {
    std::int64_t key = 0;
    bool frozen = true;
    bool written = true;
  };
  const int n = static_cast<int>(keys.size());
  const int capacity = m.what == change::buffer_size ? m.value : 5;
  std::vector<slot> buffer(static_cast<std::size_t>(capacity));
  const int used = m.what == change::zero_slots ? capacity : std::min(capacity, n);
  int read = 0;
  for (int i = 0; i < used; ++i) {
    buffer[static_cast<std::size_t>(i)] = {
        .key = i < n ? keys[static_cast<std::size_t>(read++)] : 0,
        .frozen = false,
        .written = false};
  }
  const std::int64_t start = m.what == change::range ? INT64_MIN : -1;
  std::int64_t ceiling = m.what == change::range ? INT64_MAX : 32768;
  if (m.what == change::ceiling) ceiling = INT_MAX;
  long budget = 500;
  if (m.what == change::budget) budget = m.value;
  if (m.what == change::no_budget) budget = endless;
  std::int64_t last = start;
  bool run_has_key = false;
  played_runs out{.runs = {{}}};
  long passes = 0;
  long keys_written = 0;
  while ((m.what == change::budget_of_writes ? keys_written : passes) < budget) {
    if (++passes == endless) return {.runs = {}, .never_finishes = true};
    int chosen = -1;
    std::int64_t smallest = ceiling;
    for (int i = 0; i < used; ++i) {
      const slot& s = buffer[static_cast<std::size_t>(i)];
      if (!s.frozen && !s.written && s.key < smallest) {
        smallest = s.key;
        chosen = i;
      }
    }
    if (chosen >= 0) {
      slot& s = buffer[static_cast<std::size_t>(chosen)];
      bool freeze = s.key < last;
      if (m.what == change::equal_keys_frozen) freeze = freeze || (s.key == last && run_has_key);
      if (m.what == change::equal_keys_frozen_at_start) freeze = s.key <= last;
      if (freeze) {
        s.frozen = true;
        continue;
      }
      out.runs.back().push_back(static_cast<std::int32_t>(s.key));
      ++keys_written;
      last = s.key;
      run_has_key = true;
      s.written = true;
      if (read < n)
        s = {.key = keys[static_cast<std::size_t>(read++)], .frozen = false, .written = false};
      continue;
    }
    int frozen = 0;
    int empty = 0;
    for (int i = 0; i < used; ++i) {
      frozen += buffer[static_cast<std::size_t>(i)].frozen ? 1 : 0;
      empty +=
          !buffer[static_cast<std::size_t>(i)].frozen && buffer[static_cast<std::size_t>(i)].written
              ? 1
              : 0;
    }
    if (frozen == 0 || frozen != used - empty) return out;
    for (int i = 0; i < used; ++i) {
      slot& s = buffer[static_cast<std::size_t>(i)];
      if (s.frozen) s = {.key = s.key, .frozen = false, .written = false};
    }
    out.runs.emplace_back();
    if (m.what != change::last_key_kept) last = start;
    run_has_key = false;
  }
  return out;
}

TEST(variants, each_selection_program_is_the_plain_algorithm_with_one_change) {
  struct row {
    std::string_view name;
    mutant m;
  };
  const row rows[] = {
      {"buffer_1", {change::buffer_size, 1}},
      {"buffer_2", {change::buffer_size, 2}},
      {"buffer_3", {change::buffer_size, 3}},
      {"buffer_4", {change::buffer_size, 4}},
      {"buffer_6", {change::buffer_size, 6}},
      {"buffer_7", {change::buffer_size, 7}},
      {"buffer_8", {change::buffer_size, 8}},
      {"buffer_9", {change::buffer_size, 9}},
      {"buffer_10", {change::buffer_size, 10}},
      {"equal_keys_frozen", {change::equal_keys_frozen}},
      {"equal_keys_and_minus_one_frozen", {change::equal_keys_frozen_at_start}},
      {"last_key_not_reset", {change::last_key_kept}},
      {"zero_filled_slots", {change::zero_slots}},
      {"budget_499", {change::budget, 499}},
      {"budget_501", {change::budget, 501}},
      {"budget_counts_writes", {change::budget_of_writes}},
      {"budget_ignored", {change::no_budget}},
      {"ceiling_ignored", {change::ceiling}},
      {"range_ignored", {change::range}},
  };
  // Every replacement-selection program of the catalogue has its row.
  for (const variant& v : known_variants()) {
    const bool has_row = std::any_of(std::begin(rows), std::end(rows),
                                     [&](const row& r) { return r.name == v.name; });
    EXPECT_EQ(v.how == variant::method::selection, has_row) << v.name;
  }
  const std::vector<key_list> lists = probes(5, 300);
  for (const row& r : rows) {
    SCOPED_TRACE(std::string(r.name));
    const variant& v = named(r.name);
    for (const key_list& keys : lists) {
      SCOPED_TRACE(std::to_string(keys.size()) + " keys, the first " + std::to_string(keys[0]));
      const played_runs want = mutant_runs(keys, r.m);
      const played_runs got = variant_runs(v, keys);
      ASSERT_EQ(want.never_finishes, got.never_finishes);
      if (!want.never_finishes) {
        ASSERT_EQ(want.runs, got.runs);
      }
    }
  }
}

TEST(variants, each_differs_from_the_right_program) {
  for (const variant& v : known_variants()) {
    SCOPED_TRACE(std::string(v.name));
    bool differs = false;
    for (const key_list& keys : probes(7, 40)) {
      const played_runs played = variant_runs(v, keys);
      differs = differs || played.never_finishes || played.runs != reference_runs(keys);
    }
    EXPECT_TRUE(differs);
  }
}

TEST(variants, other_methods) {
  const key_list keys = {3, 1, 2, 9, 8, 7, 6};
  EXPECT_EQ((run_list{{3}, {1, 2, 9}, {8}, {7}, {6}}),
            variant_runs(named("natural_runs"), keys).runs);
  EXPECT_EQ((run_list{{1, 2, 3, 8, 9}, {6, 7}}), variant_runs(named("sorted_fives"), keys).runs);
  EXPECT_EQ((run_list{{1, 2, 3, 6, 7, 8, 9}}), variant_runs(named("one_sorted_run"), keys).runs);
}

// Without a pass budget, a key below -1 left alone in the buffer is frozen
// and melted for ever; where nothing keeps it there, the program ends.
TEST(variants, never_finishes) {
  struct row {
    std::string_view name;
    key_list keys;
    bool never_finishes;
  };
  const row rows[] = {
      {"budget_ignored", {-3}, true},
      {"budget_ignored", {1, 2, -3}, true},
      {"budget_ignored", {9, -3, 20}, true},
      {"budget_ignored", {9, 32767, -2}, true},
      {"budget_ignored", {9, 32768, 2}, false},
      {"budget_counts_writes", {-3}, true},
      {"budget_counts_writes", key_list(600, 1), false},
      {"range_ignored", {-3}, false},
      {"budget_501", {-3}, false},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(std::string(r.name) + ", " + std::to_string(r.keys.size()) + " keys");
    EXPECT_EQ(r.never_finishes, variant_runs(named(r.name), r.keys).never_finishes);
  }
}

// The lines of a run file holding `runs`, as the check reads them.
laid_runs lines_of(const run_list& runs) {
  laid_runs lines;
  for (const auto& run : runs) {
    lines.keys.insert(lines.keys.end(), run.begin(), run.end());
    lines.ends.push_back(lines.keys.size());
  }
  return lines;
}

// The programs named for a test case's runs are exactly those that write
// them, whatever wrote them: each program's own runs, and the same with a
// key changed, a line left out or a number added.
TEST(variants, named_exactly_by_the_programs_that_write_the_runs) {
  const auto variants = known_variants();
  for (const key_list& keys : probes(11, 250)) {
    SCOPED_TRACE(std::to_string(keys.size()) + " keys, the first " + std::to_string(keys[0]));
    std::vector<played_runs> played;
    for (const variant& v : variants) played.push_back(variant_runs(v, keys));
    const auto expect_named_exactly = [&](const run_list& runs) {
      variant_set want = 0;
      for (std::size_t u = 0; u < variants.size(); ++u) {
        if (!played[u].never_finishes && played[u].runs == runs) want |= bit_of(variants[u]);
      }
      ASSERT_EQ(want, recognise(keys, lines_of(runs)));
    };
    for (std::size_t v = 0; v < variants.size(); ++v) {
      SCOPED_TRACE(std::string(variants[v].name));
      run_list runs = played[v].runs;
      expect_named_exactly(runs);
      runs.back().push_back(-7);
      expect_named_exactly(runs);
      runs.back().pop_back();
      if (!runs.back().empty()) {
        runs.back().back() += 1;
        expect_named_exactly(runs);
        runs.back().back() -= 1;
      }
      if (runs.size() > 1) {
        runs.pop_back();
        expect_named_exactly(runs);
      }
    }
  }
}

// Where a program is said to write the right runs without being played,
// playing it gives them; and it is said for the cases that make up most of
// a file, so that coverage seldom plays a program.
TEST(variants, said_to_write_the_right_runs_only_where_it_does) {
  int said = 0;
  for (const key_list& keys : probes(13, 300)) {
    run_table table;
    run_set set = *table.open_test_case();
    const generation_result right = generate_runs(keys, set);
    table.close_test_case(set);
    for (const variant& v : known_variants()) {
      if (!writes_right_runs(v, keys, right, set)) continue;
      ++said;
      SCOPED_TRACE(std::string(v.name) + ", " + std::to_string(keys.size()) + " keys");
      const played_runs played = variant_runs(v, keys);
      EXPECT_FALSE(played.never_finishes);
      EXPECT_TRUE(same_runs(played.runs, set));
    }
  }
  EXPECT_GT(said, 1000);
}

TEST(variants, described_together) {
  const auto set_of = [](std::initializer_list<std::string_view> names) {
    variant_set set = 0;
    for (const std::string_view name : names) set |= bit_of(named(name));
    return set;
  };
  struct row {
    std::initializer_list<std::string_view> names;
    std::string_view first;
    std::string_view want;
  };
  const row rows[] = {
      {{"buffer_1"}, "buffer_1", "a program with a buffer of 1 record"},
      {{"buffer_3", "buffer_4"}, "buffer_4", "a program with a buffer of 3 or 4 records"},
      {{"buffer_2", "buffer_4", "buffer_6"},
       "buffer_4",
       "a program with a buffer of 2, 4 or 6 records"},
      {{"one_sorted_run", "buffer_7", "buffer_8", "buffer_9", "buffer_10"},
       "one_sorted_run",
       "a program that writes all keys as one sorted run; a program with a buffer of 7 to 10 "
       "records writes the same"},
      {{"natural_runs", "buffer_1", "budget_ignored"},
       "natural_runs",
       "a program that begins a new run whenever the next key read is smaller; a program with a "
       "buffer of 1 record and a program that ignores the step budget of 500 passes write the "
       "same"},
  };
  for (const row& r : rows) {
    const variant_set set = set_of(r.names);
    EXPECT_EQ(r.first, first_of(set).name);
    EXPECT_EQ(r.want, describe(set));
  }
}

}  // namespace
}  // namespace runcheck::explain
