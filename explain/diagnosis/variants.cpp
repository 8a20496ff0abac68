#include "explain/diagnosis/variants.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "input/reading.h"

namespace runcheck::explain {

namespace {

constexpr int no_budget = std::numeric_limits<int>::max();

constexpr variant selection(std::string_view name, std::string_view description,
                            selection_rules rules) {
  return {
      .name = name, .description = description, .how = variant::method::selection, .rules = rules};
}

constexpr std::array<variant, 15> variants = {{
    // First: a buffer of 1 record writes the same runs, and this says what
    // such a program does.
    {.name = "natural_runs",
     .description = "a program that begins a new run whenever the next key read is smaller",
     .how = variant::method::natural_runs},
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
              {.equal_keys = selection_rules::equal_key::frozen_at_run_start}),
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
}};

}  // namespace

std::span<const variant> known_variants() { return variants; }

namespace {

// Plays `v` on `keys`, handing `out` each key written (out.key(k)) and each
// new run after the first (out.new_run()); stops when either gives false.
template <class sink>
void play(const variant& v, std::span<const std::int32_t> keys, sink& out) {
  switch (v.how) {
    case variant::method::selection: {
      reference_generator generator(keys, played_rules(v, keys));
      while (const std::optional<pass_report> pass = generator.next_pass()) {
        if (pass->what == pass_report::action::wrote && !out.key(pass->key)) return;
        if (pass->what == pass_report::action::melted && !out.new_run()) return;
      }
      return;
    }
    case variant::method::natural_runs:
      for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i > 0 && keys[i] < keys[i - 1] && !out.new_run()) return;
        if (!out.key(keys[i])) return;
      }
      return;
    case variant::method::sorted_fives:
      for (std::size_t i = 0; i < keys.size(); i += buffer_capacity) {
        std::array<std::int32_t, buffer_capacity> five{};
        const std::size_t n = std::min<std::size_t>(buffer_capacity, keys.size() - i);
        std::copy_n(keys.begin() + static_cast<std::ptrdiff_t>(i), n, five.begin());
        std::sort(five.begin(), five.begin() + static_cast<std::ptrdiff_t>(n));
        if (i > 0 && !out.new_run()) return;
        for (std::size_t k = 0; k < n; ++k) {
          if (!out.key(five[k])) return;
        }
      }
      return;
    case variant::method::one_sorted_run: {
      std::vector<std::int32_t> sorted;
      sorted.assign(keys.begin(), keys.end());
      std::sort(sorted.begin(), sorted.end());
      for (const std::int32_t k : sorted) {
        if (!out.key(k)) return;
      }
      return;
    }
  }
}

struct run_collector {
  run_list runs = run_list(1);
  bool key(std::int32_t k) {
    runs.back().push_back(k);
    return true;
  }
  bool new_run() {
    runs.emplace_back();
    return true;
  }
};

// Compares the keys played with the lines read, number for number: each
// line must hold its run and nothing more.
struct run_comparer {
  const laid_runs& lines;
  std::size_t run = 0;
  std::size_t next = 0;  // the index in lines.keys of the run's next key
  bool same = true;

  bool key(std::int32_t k) {
    same = run < lines.ends.size() && next < lines.ends[run] && lines.keys[next] == k;
    ++next;
    return same;
  }
  bool new_run() {
    same = next == lines.ends[run] && run + 1 < lines.ends.size();
    ++run;
    return same;
  }
  // After the last key: the lines are used up.
  bool ended() const { return same && run + 1 == lines.ends.size() && next == lines.ends[run]; }
};

// What the first keys of a test case say about the first key each variant
// writes, worked out once for the whole catalogue.
class first_keys {
 public:
  explicit first_keys(std::span<const std::int32_t> keys) : size_(keys.size()) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const std::int32_t k = keys[i];
      if (i < low_.size()) {
        low_[i] = i == 0 ? k : std::min(low_[i - 1], k);
        high_[i] = i == 0 ? k : std::max(high_[i - 1], k);
      }
      lowest_ = i == 0 ? k : std::min(lowest_, k);
    }
    first_ = keys[0];
  }

  // The first key `v` writes, where it is plain to see: the first key for
  // natural runs, the smallest of the first five or of all for the sorting
  // programs, and for replacement selection the smallest of the first
  // buffer load when every key of it lies strictly between the start of a
  // run and the ceiling (the first pass then writes it). Nothing where it
  // takes playing the program to know.
  std::optional<std::int32_t> of(const variant& v) const {
    switch (v.how) {
      case variant::method::natural_runs:
        return first_;
      case variant::method::sorted_fives:
        return low_[std::min<std::size_t>(buffer_capacity, size_) - 1];
      case variant::method::one_sorted_run:
        return lowest_;
      case variant::method::selection: {
        const std::size_t load = std::min(
            size_, static_cast<std::size_t>(std::clamp(v.rules.buffer_size, 1, max_buffer_size)));
        if (low_[load - 1] > v.rules.run_start_key && high_[load - 1] < v.rules.key_ceiling)
          return low_[load - 1];
        return std::nullopt;
      }
    }
    return std::nullopt;
  }

 private:
  std::size_t size_ = 0;
  std::array<std::int32_t, max_buffer_size> low_{};   // low_[i]: the smallest of keys 0..i
  std::array<std::int32_t, max_buffer_size> high_{};  // high_[i]: the largest of keys 0..i
  std::int32_t lowest_ = 0;
  std::int32_t first_ = 0;
};

// True when `v` writes `runs` for `keys`; `first` holds what the keys' first
// ones say.
bool writes(const variant& v, std::span<const std::int32_t> keys, const laid_runs& runs,
            const first_keys& first) {
  if (runs.ends.empty()) return false;
  // The methods that are not replacement selection write a number of runs
  // known beforehand: no need to play them when the lines are not as many.
  if (v.how == variant::method::one_sorted_run && runs.ends.size() != 1) return false;
  if (v.how == variant::method::sorted_fives &&
      runs.ends.size() != (keys.size() + buffer_capacity - 1) / buffer_capacity)
    return false;
  // Nor when the first line does not begin with the first key it writes.
  if (const std::optional<std::int32_t> k = first.of(v);
      k && (runs.ends[0] == 0 || runs.keys[0] != *k))
    return false;
  run_comparer comparer{.lines = runs};
  play(v, keys, comparer);
  return comparer.ended();
}

}  // namespace

run_list variant_runs(const variant& v, std::span<const std::int32_t> keys) {
  run_collector collector;
  play(v, keys, collector);
  return collector.runs;
}

bool writes(const variant& v, std::span<const std::int32_t> keys, const laid_runs& runs) {
  return !keys.empty() && writes(v, keys, runs, first_keys(keys));
}

const variant* recognise(std::span<const std::int32_t> keys, const laid_runs& runs,
                         bool edges_matter) {
  if (keys.empty()) return nullptr;
  // Every program of the catalogue writes each run in ascending order (a
  // key is written only when it is not below the run's last one), and each
  // key of the test case once at most: lines out of order, or holding a
  // number more often than the keys do, are none of their runs.
  if (runs.keys.size() > keys.size()) return nullptr;
  std::size_t begin = 0;
  for (const std::size_t end : runs.ends) {
    const auto line = std::span(runs.keys).subspan(begin, end - begin);
    if (std::adjacent_find(line.begin(), line.end(), std::greater<>()) != line.end())
      return nullptr;
    begin = end;
  }
  if (keys.size() <= max_line_numbers) {
    std::array<std::int32_t, max_line_numbers> sorted_keys;     // NOLINT: filled below
    std::array<std::int32_t, max_line_numbers> sorted_numbers;  // NOLINT: filled below
    const auto k = std::span(sorted_keys).first(keys.size());
    const auto n = std::span(sorted_numbers).first(runs.keys.size());
    std::copy(keys.begin(), keys.end(), k.begin());
    std::copy(runs.keys.begin(), runs.keys.end(), n.begin());
    std::sort(k.begin(), k.end());
    std::sort(n.begin(), n.end());
    if (!std::includes(k.begin(), k.end(), n.begin(), n.end())) return nullptr;
  }
  const first_keys first(keys);
  for (const variant& v : variants) {
    if (!edges_matter && differs_only_at_the_edges(v)) continue;
    if (writes(v, keys, runs, first)) return &v;
  }
  return nullptr;
}

bool differs_only_at_the_edges(const variant& v) {
  constexpr selection_rules right;
  return v.how == variant::method::selection && v.rules.buffer_size == right.buffer_size &&
         v.rules.equal_keys == right.equal_keys;
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
