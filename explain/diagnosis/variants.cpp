#include "explain/diagnosis/variants.h"

#include <algorithm>
#include <array>
#include <bit>
#include <functional>
#include <limits>
#include <optional>
#include <utility>
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

using equal_key = selection_rules::equal_key;

constexpr std::array<variant, 22> variants = {{
    {.name = "one_sorted_run",
     .description = "a program that writes all keys as one sorted run",
     .how = variant::method::one_sorted_run},
    {.name = "sorted_fives",
     .description = "a program that loads, sorts and writes the keys five at a time",
     .how = variant::method::sorted_fives},
    // Before a buffer of 1 record, which writes the same runs from keys in
    // the range: this says what such a program does.
    {.name = "natural_runs",
     .description = "a program that begins a new run whenever the next key read is smaller",
     .how = variant::method::natural_runs},
    selection("buffer_4", "a program with a buffer of 4 records", {.buffer_size = 4}),
    selection("buffer_6", "a program with a buffer of 6 records", {.buffer_size = 6}),
    selection("buffer_3", "a program with a buffer of 3 records", {.buffer_size = 3}),
    selection("buffer_7", "a program with a buffer of 7 records", {.buffer_size = 7}),
    selection("buffer_2", "a program with a buffer of 2 records", {.buffer_size = 2}),
    selection("buffer_8", "a program with a buffer of 8 records", {.buffer_size = 8}),
    selection("buffer_1", "a program with a buffer of 1 record", {.buffer_size = 1}),
    selection("buffer_9", "a program with a buffer of 9 records", {.buffer_size = 9}),
    selection("buffer_10", "a program with a buffer of 10 records", {.buffer_size = 10}),
    selection("equal_keys_frozen", "a program that freezes a key equal to the last key written",
              {.equal_keys = equal_key::frozen}),
    // It compares with the last key even at a run's start, where that is -1.
    selection("equal_keys_and_minus_one_frozen",
              "a program that freezes a key equal to the last key written or to the start value -1",
              {.equal_keys = equal_key::frozen_at_run_start}),
    selection("last_key_not_reset",
              "a program that does not reset the last key written when a new run begins",
              {.last_key_reset_at_melt = false}),
    selection("zero_filled_slots",
              "a program that writes the 0s of the records that fewer than 5 keys leave empty",
              {.empty_slots_hold_zero = true}),
    selection("budget_499", "a program with a step budget of 499 passes", {.step_budget = 499}),
    selection("budget_501", "a program with a step budget of 501 passes", {.step_budget = 501}),
    selection("budget_counts_writes",
              "a program whose step budget counts the keys written instead of the passes",
              {.budget_counts = selection_rules::budget_count::writes}),
    selection("budget_ignored", "a program that ignores the step budget of 500 passes",
              {.step_budget = no_budget}),
    selection("ceiling_ignored",
              "a program whose search for the smallest key starts above 32767, so that it"
              " writes larger keys",
              {.key_ceiling = std::numeric_limits<std::int32_t>::max()}),
    selection("range_ignored", "a program that keeps the keys outside -1..32767",
              {.run_start_key = std::numeric_limits<std::int64_t>::min(),
               .key_ceiling = std::numeric_limits<std::int64_t>::max()}),
}};
static_assert(variants.size() <= sizeof(variant_set) * 8);

}  // namespace

std::span<const variant> known_variants() { return variants; }

variant_set all_variants() {
  return static_cast<variant_set>((std::uint64_t{1} << variants.size()) - 1);
}

variant_set bit_of(const variant& v) {
  return variant_set{1} << static_cast<unsigned>(&v - variants.data());
}

namespace {

// True when `v` is replacement selection with no pass budget: it runs until
// it finishes, or for ever.
bool without_pass_budget(const variant& v) {
  return v.rules.step_budget == no_budget ||
         v.rules.budget_counts == selection_rules::budget_count::writes;
}

// Plays `v` on `keys`, handing `out` each key written (out.key(k)) and each
// new run after the first (out.new_run()); stops when either gives false.
// Gives true when `v` never finishes.
//
// A melt with no key written since the start or the last melt brings the
// buffer back to where it stood then: nothing but a write changes the keys
// or loads one, and a melt thaws every key the passes between froze. So
// from there the same passes come round again, each round opening one empty
// run: a program with no pass budget to stop it never finishes, and one
// with a budget opens as many more runs as whole rounds fit in what is left
// of it, which are told without being played.
template <class sink>
bool play(const variant& v, std::span<const std::int32_t> keys, sink& out) {
  switch (v.how) {
    case variant::method::selection: {
      const bool endless_possible = without_pass_budget(v);
      bool wrote = false;   // since the start or the last melt
      int round_began = 0;  // the step of that start or melt
      reference_generator generator(keys, v.rules);
      while (const std::optional<pass_report> pass = generator.next_pass()) {
        if (pass->what == pass_report::action::wrote) {
          wrote = true;
          if (!out.key(pass->key)) return false;
        } else if (pass->what == pass_report::action::melted) {
          if (!out.new_run()) return false;
          if (!wrote) {
            if (endless_possible) return true;
            const int round = pass->step - round_began;
            for (int more = (v.rules.step_budget - pass->step) / round; more > 0; --more) {
              if (!out.new_run()) return false;
            }
            return false;
          }
          wrote = false;
          round_began = pass->step;
        }
      }
      return false;
    }
    case variant::method::natural_runs:
      for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i > 0 && keys[i] < keys[i - 1] && !out.new_run()) return false;
        if (!out.key(keys[i])) return false;
      }
      return false;
    case variant::method::sorted_fives:
      for (std::size_t i = 0; i < keys.size(); i += buffer_capacity) {
        std::array<std::int32_t, buffer_capacity> five{};
        const std::size_t n = std::min<std::size_t>(buffer_capacity, keys.size() - i);
        std::copy_n(keys.begin() + static_cast<std::ptrdiff_t>(i), n, five.begin());
        // Five keys at most: an insertion sort, which also keeps g++ -O3 from
        // warning of bounds std::sort's inlined introsort cannot reach.
        for (std::size_t a = 1; a < n; ++a) {
          for (std::size_t b = a; b > 0 && five[b - 1] > five[b]; --b)
            std::swap(five[b - 1], five[b]);
        }
        if (i > 0 && !out.new_run()) return false;
        for (std::size_t k = 0; k < n; ++k) {
          if (!out.key(five[k])) return false;
        }
      }
      return false;
    case variant::method::one_sorted_run: {
      std::vector<std::int32_t> sorted;
      sorted.assign(keys.begin(), keys.end());
      std::sort(sorted.begin(), sorted.end());
      for (const std::int32_t k : sorted) {
        if (!out.key(k)) return false;
      }
      return false;
    }
  }
  return false;
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

// True when `v` keeps the right rules but for the buffer size.
bool buffer_size_alone(const variant& v) {
  if (v.how != variant::method::selection) return false;
  selection_rules rules = v.rules;
  rules.buffer_size = buffer_capacity;
  return rules == selection_rules{};
}

// True when the slots `v` fills first hold nothing but keys of the list.
bool loads_keys_alone(const variant& v, std::size_t num_keys) {
  return !v.rules.empty_slots_hold_zero ||
         num_keys >= static_cast<std::size_t>(std::clamp(v.rules.buffer_size, 1, max_buffer_size));
}

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
        if (!loads_keys_alone(v, size_)) return std::nullopt;
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
  const bool never_finishes = play(v, keys, comparer);
  return !never_finishes && comparer.ended();
}

// True when `runs` can be the runs of some program of the catalogue: each
// line in ascending order, as every run of every program is (a key is
// written only when it is not below the run's last one), and no number
// held more often than the keys hold it, with the 0s of the slots that
// fewer keys than records leave empty.
bool any_program_writes(std::span<const std::int32_t> keys, const laid_runs& runs) {
  const std::size_t zeros =
      keys.size() < static_cast<std::size_t>(buffer_capacity) ? buffer_capacity - keys.size() : 0;
  if (runs.keys.size() > keys.size() + zeros) return false;
  std::size_t begin = 0;
  for (const std::size_t end : runs.ends) {
    const auto line = std::span(runs.keys).subspan(begin, end - begin);
    if (std::adjacent_find(line.begin(), line.end(), std::greater<>()) != line.end()) return false;
    begin = end;
  }
  if (keys.size() > max_line_numbers) return true;
  std::array<std::int32_t, max_line_numbers + buffer_capacity> sorted_keys;  // NOLINT: filled below
  std::array<std::int32_t, max_line_numbers + buffer_capacity> sorted_numbers;  // NOLINT: as above
  const auto k = std::span(sorted_keys).first(keys.size() + zeros);
  const auto n = std::span(sorted_numbers).first(runs.keys.size());
  std::fill(std::copy(keys.begin(), keys.end(), k.begin()), k.end(), 0);
  std::copy(runs.keys.begin(), runs.keys.end(), n.begin());
  std::sort(k.begin(), k.end());
  std::sort(n.begin(), n.end());
  return std::includes(k.begin(), k.end(), n.begin(), n.end());
}

}  // namespace

std::optional<std::int64_t> variant_run_count(const variant& v,
                                              std::span<const std::int32_t> keys) {
  struct run_counter {
    std::int64_t runs = 1;
    static bool key(std::int32_t /*k*/) { return true; }
    bool new_run() {
      ++runs;
      return true;
    }
  } counter;
  if (play(v, keys, counter)) return std::nullopt;
  return counter.runs;
}

played_runs variant_runs(const variant& v, std::span<const std::int32_t> keys) {
  run_collector collector;
  const bool never_finishes = play(v, keys, collector);
  return {.runs = std::move(collector.runs), .never_finishes = never_finishes};
}

bool writes_right_runs(const variant& v, std::span<const std::int32_t> keys,
                       const generation_result& right, const run_set& right_runs) {
  if (v.how != variant::method::selection) return false;
  const selection_rules rules = v.rules;
  const selection_rules right_rules;
  const auto n = static_cast<std::int64_t>(keys.size());
  // Which one rule `v` changes: with it set back, `v` is the right program.
  const auto alone = [&](auto set_back) {
    selection_rules other = rules;
    set_back(other);
    return other == right_rules;
  };
  if (alone([&](selection_rules& r) { r.buffer_size = right_rules.buffer_size; })) {
    // n keys fill min(size, n) slots.
    return std::min<std::int64_t>(rules.buffer_size, n) ==
           std::min<std::int64_t>(right_rules.buffer_size, n);
  }
  if (alone([&](selection_rules& r) {
        r.step_budget = right_rules.step_budget;
        r.budget_counts = right_rules.budget_counts;
      })) {
    // The right program finished; a budget that stops before its last pass
    // but the finishing one writes the same.
    if (!right.finished) return false;
    if (rules.budget_counts == selection_rules::budget_count::writes)
      return right.write_count < rules.step_budget;
    return right.steps <= rules.step_budget || right.steps == rules.step_budget + 1;
  }
  if (alone([&](selection_rules& r) { r.equal_keys = right_rules.equal_keys; })) {
    // The tie rule decides only for a key equal to the last key: where the
    // right program writes none after an equal one in a run, nor -1 (at the
    // start of a run, the last key), it decides the same every pass.
    for (std::int64_t r = 1; r <= right_runs.run_count; ++r) {
      const std::span<const stored_key> run = run_keys(right_runs, r);
      if (std::adjacent_find(run.begin(), run.end()) != run.end()) return false;
      if (rules.equal_keys == selection_rules::equal_key::frozen_at_run_start &&
          std::find(run.begin(), run.end(), lowest_written_key) != run.end())
        return false;
    }
    return true;
  }
  if (alone([&](selection_rules& r) { r.last_key_reset_at_melt = true; })) return right.melts == 0;
  if (alone([&](selection_rules& r) { r.empty_slots_hold_zero = false; }))
    return n >= right_rules.buffer_size;
  if (alone([&](selection_rules& r) {
        r.run_start_key = right_rules.run_start_key;
        r.key_ceiling = right_rules.key_ceiling;
      })) {
    // A wider range changes nothing while no key loaded lies outside the
    // right one: the same passes, loading the same keys.
    if (rules.run_start_key > right_rules.run_start_key ||
        rules.key_ceiling < right_rules.key_ceiling)
      return false;
    const auto loaded = keys.first(static_cast<std::size_t>(right.read_count));
    return std::all_of(loaded.begin(), loaded.end(), [&](std::int32_t k) {
      return (k >= lowest_written_key || rules.run_start_key == right_rules.run_start_key) &&
             (k <= highest_written_key || rules.key_ceiling == right_rules.key_ceiling);
    });
  }
  return false;
}

bool writes(const variant& v, std::span<const std::int32_t> keys, const laid_runs& runs) {
  return !keys.empty() && writes(v, keys, runs, first_keys(keys));
}

namespace {

// Compares the keys played with a test case's expected runs.
struct run_set_comparer {
  const run_set& expected;
  std::int64_t run = 1;
  std::size_t next = 0;  // the position in run `run` of its next key
  bool same = true;

  bool key(std::int32_t k) {
    const std::span<const stored_key> want = run_keys(expected, run);
    same = next < want.size() && want[next] == k;
    ++next;
    return same;
  }
  bool new_run() {
    same = next == static_cast<std::size_t>(run_length(expected, run)) && run < expected.run_count;
    ++run;
    next = 0;
    return same;
  }
  bool ended() const {
    return same && run == expected.run_count &&
           next == static_cast<std::size_t>(run_length(expected, run));
  }
};

}  // namespace

comparison compare(const variant& v, std::span<const std::int32_t> keys, const run_set& expected) {
  run_set_comparer comparer{.expected = expected};
  if (play(v, keys, comparer)) return comparison::never_finishes;
  return comparer.ended() ? comparison::same : comparison::differs;
}

variant_set recognise(std::span<const std::int32_t> keys, const laid_runs& runs,
                      variant_set tried) {
  if (keys.empty() || !any_program_writes(keys, runs)) return 0;
  const first_keys first(keys);
  variant_set found = 0;
  for (const variant& v : variants) {
    if ((tried & bit_of(v)) != 0 && writes(v, keys, runs, first)) found |= bit_of(v);
  }
  return found;
}

const variant* recognise(std::span<const std::int32_t> keys, const laid_runs& runs,
                         bool edges_matter) {
  variant_set tried = all_variants();
  if (!edges_matter) {
    for (const variant& v : variants) {
      if (differs_only_at_the_edges(v)) tried &= ~bit_of(v);
    }
  }
  const variant_set found = recognise(keys, runs, tried);
  return found == 0 ? nullptr : &first_of(found);
}

const variant& first_of(variant_set set) {
  return variants[static_cast<std::size_t>(std::countr_zero(set))];
}

namespace {

// "3", "3 or 4", "2, 3 or 6", "7 to 10".
std::string sizes_phrase(std::span<const int> sizes) {
  const bool consecutive = sizes.back() - sizes.front() + 1 == std::ssize(sizes);
  if (sizes.size() >= 3 && consecutive)
    return std::to_string(sizes.front()) + " to " + std::to_string(sizes.back());
  std::string text;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (i > 0) text += i + 1 == sizes.size() ? " or " : ", ";
    text += std::to_string(sizes[i]);
  }
  return text;
}

}  // namespace

std::string describe(variant_set set) {
  std::array<int, max_buffer_size> sizes{};
  std::size_t num_sizes = 0;
  for (int size = 1; size <= max_buffer_size; ++size) {
    for (const variant& v : variants) {
      if ((set & bit_of(v)) != 0 && buffer_size_alone(v) && v.rules.buffer_size == size)
        sizes[num_sizes++] = size;
    }
  }
  std::vector<std::string> phrases;
  bool sizes_said = false;
  for (const variant& v : variants) {
    if ((set & bit_of(v)) == 0) continue;
    if (!buffer_size_alone(v)) {
      phrases.emplace_back(v.description);
    } else if (!std::exchange(sizes_said, true)) {
      // The sizes together, where the most likely of them stands.
      const bool one = num_sizes == 1 && sizes[0] == 1;
      phrases.push_back("a program with a buffer of " +
                        sizes_phrase(std::span(sizes).first(num_sizes)) +
                        (one ? " record" : " records"));
    }
  }
  if (phrases.empty()) return {};
  std::string text = phrases[0];
  for (std::size_t i = 1; i < phrases.size(); ++i) {
    text += i == 1 ? "; " : i + 1 == phrases.size() ? " and " : ", ";
    text += phrases[i];
  }
  if (phrases.size() == 2) text += " writes the same";
  if (phrases.size() > 2) text += " write the same";
  return text;
}

bool differs_only_at_the_edges(const variant& v) {
  if (v.how != variant::method::selection) return false;
  selection_rules rules = v.rules;
  const selection_rules right;
  rules.step_budget = right.step_budget;
  rules.budget_counts = right.budget_counts;
  rules.run_start_key = right.run_start_key;
  rules.key_ceiling = right.key_ceiling;
  return rules == right;
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
