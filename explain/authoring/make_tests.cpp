#include "explain/authoring/make_tests.h"

#include <algorithm>
#include <bit>
#include <new>
#include <vector>

#include "explain/authoring/coverage.h"
#include "explain/authoring/seeded_numbers.h"
#include "explain/authoring/test_case_sets.h"
#include "generation/run_generator.h"
#include "runs/limits.h"
#include "runs/run_table.h"

namespace runcheck::explain {

namespace {

using key_list = std::vector<std::int32_t>;

struct chosen_case {
  key_list keys;
  test_case_coverage covered;
  bool fixed = false;  // the longest line: its keys are kept as they are
};

constexpr std::uint32_t every_rule = (std::uint32_t{1} << rule_count) - 1;
constexpr std::uint32_t empty_first_run = std::uint32_t{1}
                                          << static_cast<unsigned>(rule::empty_first_run);

// What the test case of `keys` covers, generated as runcheck generates it;
// only the programs in `tried` are played.
test_case_coverage coverage_of(const key_list& keys, run_table& table,
                               variant_set tried = all_variants()) {
  table.clear();
  std::optional<run_set> set = table.open_test_case();
  if (!set) throw std::bad_alloc();
  const generation_result result = generate_runs(keys, *set);
  table.close_test_case(*set);
  return cover_test_case(keys, *set, result, tried);
}

// True when `cases` together cover every rule and variant, with at most one
// test case whose first run is empty.
bool complete(const std::vector<chosen_case>& cases) {
  test_case_coverage all;
  int empty_first_runs = 0;
  for (const chosen_case& c : cases) {
    all.rules |= c.covered.rules;
    all.variants |= c.covered.variants;
    empty_first_runs += (c.covered.rules & empty_first_run) != 0 ? 1 : 0;
  }
  return all.rules == every_rule && all.variants == all_variants() && empty_first_runs <= 1;
}

// The longest key line whose keys all reach one listing line: -1, 1000,
// 10000 331 times and 32767, 1666 characters with 333 spaces between them:
// 1999, all that a key-line read takes. They are one run, the same for
// every seed and easy to read; its long row of equal keys is written, not
// frozen.
key_list longest_line() {
  key_list keys(334, 10000);
  keys.front() = lowest_written_key;
  keys[1] = 1000;
  keys.back() = highest_written_key;
  return keys;
}

// A small test case: 1 to 8 keys, mostly 0..9 so that keys repeat, now and
// then -1, 32767 or a key just outside -1..32767; a third of them sorted
// descending, which fills the buffer with keys that all freeze.
key_list small_case(seeded_numbers& random) {
  key_list keys(static_cast<std::size_t>(random.between(1, 8)));
  for (std::int32_t& k : keys) {
    switch (random.between(0, 19)) {
      case 0:
        k = random.between(-9, lowest_written_key - 1);
        break;
      case 1:
        k = random.between(highest_written_key + 1, highest_written_key + 32);
        break;
      case 2:
        k = lowest_written_key;
        break;
      case 3:
        k = highest_written_key;
        break;
      default:
        k = random.between(0, 9);
    }
  }
  if (random.between(0, 2) == 0) std::sort(keys.rbegin(), keys.rend());
  return keys;
}

// Adds small test cases, each the best of a batch for what it adds per key,
// until everything is covered or the batches run out.
void choose(std::vector<chosen_case>& cases, seeded_numbers& random, run_table& table) {
  constexpr int batches = 100;
  constexpr int batch_size = 200;
  test_case_coverage covered;
  bool has_empty_first_run = false;
  for (const chosen_case& c : cases) {
    covered.rules |= c.covered.rules;
    covered.variants |= c.covered.variants;
    has_empty_first_run = has_empty_first_run || (c.covered.rules & empty_first_run) != 0;
  }
  for (int batch = 0; batch < batches && !complete(cases); ++batch) {
    std::optional<chosen_case> best;
    int best_gain = 0;
    for (int i = 0; i < batch_size; ++i) {
      // Only the programs not caught yet count, so only they are played.
      chosen_case c{.keys = small_case(random)};
      c.covered = coverage_of(c.keys, table, all_variants() & ~covered.variants);
      if (has_empty_first_run && (c.covered.rules & empty_first_run) != 0) continue;
      const int gain = std::popcount(c.covered.rules & ~covered.rules) +
                       std::popcount(c.covered.variants & ~covered.variants);
      // gain / keys above best_gain / best's keys, in integers.
      if (gain > 0 && (!best || std::ssize(best->keys) * gain > std::ssize(c.keys) * best_gain)) {
        best = std::move(c);
        best_gain = gain;
      }
    }
    if (!best) continue;
    best->covered = coverage_of(best->keys, table);
    covered.rules |= best->covered.rules;
    covered.variants |= best->covered.variants;
    has_empty_first_run = has_empty_first_run || (best->covered.rules & empty_first_run) != 0;
    cases.push_back(std::move(*best));
  }
}

// Drops whole test cases, then single keys but those of a fixed test case,
// while the file stays complete.
void shrink(std::vector<chosen_case>& cases, run_table& table) {
  for (std::size_t i = cases.size(); i-- > 0;) {
    std::vector<chosen_case> fewer = cases;
    fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
    if (complete(fewer)) cases = std::move(fewer);
  }
  for (chosen_case& c : cases) {
    for (std::size_t k = c.keys.size(); !c.fixed && k-- > 0 && c.keys.size() > 1;) {
      const chosen_case kept = c;
      c.keys.erase(c.keys.begin() + static_cast<std::ptrdiff_t>(k));
      c.covered = coverage_of(c.keys, table);
      if (!complete(cases)) c = kept;
    }
  }
}

}  // namespace

std::string make_test_case_file(std::uint64_t seed) {
  seeded_numbers random(seed);
  run_table table;
  chosen_case longest{.keys = longest_line(), .fixed = true};
  longest.covered = coverage_of(longest.keys, table);
  // A few searches, each going on with the numbers where the last stopped;
  // the file with the fewest keys (then test cases) wins.
  constexpr int searches = 2;
  std::vector<chosen_case> cases;
  std::size_t fewest = 0;
  for (int s = 0; s < searches; ++s) {
    std::vector<chosen_case> found = {longest};
    choose(found, random, table);
    shrink(found, table);
    std::size_t keys = found.size();  // a test case's count line weighs like a key
    for (const chosen_case& c : found) keys += c.keys.size();
    if (s == 0 || (complete(found) && (keys < fewest || !complete(cases)))) {
      cases = std::move(found);
      fewest = keys;
    }
  }
  // Smaller test cases first; the one whose first run is empty last.
  std::stable_sort(cases.begin(), cases.end(), [](const chosen_case& a, const chosen_case& b) {
    const bool a_last = (a.covered.rules & empty_first_run) != 0;
    const bool b_last = (b.covered.rules & empty_first_run) != 0;
    return a_last != b_last ? b_last : a.keys.size() < b.keys.size();
  });

  std::vector<key_list> keys;
  keys.reserve(cases.size());
  for (chosen_case& c : cases) keys.push_back(std::move(c.keys));
  return test_case_file_text(keys);
}

std::vector<std::vector<std::int32_t>> test_cases_catching(variant_set wanted, std::uint64_t seed) {
  seeded_numbers random(seed);
  run_table table;
  constexpr int pool_size = 2000;
  std::vector<chosen_case> pool;
  for (int i = 0; i < pool_size; ++i) {
    chosen_case c{.keys = small_case(random)};
    c.covered = coverage_of(c.keys, table, wanted);
    pool.push_back(std::move(c));
  }
  // As few test cases as the pool allows, first without one whose first run
  // is empty (it could only come last), then with one where it must.
  std::vector<std::int32_t> chosen;
  for (const bool empty_allowed : {false, true}) {
    std::vector<variant_set> catches;
    std::vector<std::int32_t> keys_of;
    variant_set reached = 0;
    for (const chosen_case& c : pool) {
      const bool empty = (c.covered.rules & empty_first_run) != 0;
      catches.push_back(empty && !empty_allowed ? 0 : c.covered.variants);
      keys_of.push_back(static_cast<std::int32_t>(c.keys.size()));
      reached |= catches.back();
    }
    chosen = smallest_cover(catches, keys_of);
    const auto empties = std::count_if(chosen.begin(), chosen.end(), [&](std::int32_t t) {
      return (pool[static_cast<std::size_t>(t)].covered.rules & empty_first_run) != 0;
    });
    if (reached == wanted && empties <= 1) break;
  }
  std::vector<chosen_case> cases;
  cases.reserve(chosen.size());
  for (const std::int32_t t : chosen) cases.push_back(pool[static_cast<std::size_t>(t)]);
  // Each cut down key by key while the others' catches and its own still
  // hold every program wanted.
  const auto all_caught = [&] {
    variant_set caught = 0;
    for (const chosen_case& c : cases) caught |= c.covered.variants;
    return (caught & wanted) == wanted;
  };
  for (chosen_case& c : cases) {
    for (std::size_t k = c.keys.size(); k-- > 0 && c.keys.size() > 1;) {
      const chosen_case kept = c;
      c.keys.erase(c.keys.begin() + static_cast<std::ptrdiff_t>(k));
      c.covered = coverage_of(c.keys, table, wanted);
      const bool empty = (c.covered.rules & empty_first_run) != 0;
      if (!all_caught() || (empty && (kept.covered.rules & empty_first_run) == 0)) c = kept;
    }
  }
  std::stable_sort(cases.begin(), cases.end(), [](const chosen_case& a, const chosen_case& b) {
    return (a.covered.rules & empty_first_run) == 0 && (b.covered.rules & empty_first_run) != 0;
  });
  std::vector<std::vector<std::int32_t>> keys;
  keys.reserve(cases.size());
  for (chosen_case& c : cases) keys.push_back(std::move(c.keys));
  return keys;
}

}  // namespace runcheck::explain
