// The catalogue of faulty programs: programs that get replacement selection
// wrong in the ways such programs commonly do, each able to give the runs it
// would write for a test case. runcheck-explain names the ones whose runs a
// failing test case holds, and tells the author of a test-case file which of
// them the file catches.
//
// The replacement-selection programs are the reference generator with one
// rule changed; the others write runs another way altogether. Everything
// known about the faulty programs is here: their names and words, their
// order, their runs, and where they provably write the right runs.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "explain/report/report.h"
#include "generation/reference_generator.h"
#include "generation/run_generator.h"
#include "runs/run_table.h"

namespace runcheck::explain {

struct variant {
  enum class method {
    selection,       // replacement selection under `rules`
    natural_runs,    // a new run whenever the next key is smaller than the last
    sorted_fives,    // the keys five at a time, each five sorted into a run
    one_sorted_run,  // every key, sorted, in one run
  };
  std::string_view name;  // an identifier, as in JSON: "buffer_4", "natural_runs", ...
  // The program, as a noun phrase: "a program with a buffer of 4 records".
  std::string_view description;
  method how = method::selection;
  selection_rules rules;
};

// Every faulty program, most likely first: the ways of writing runs other
// than replacement selection, the buffer sizes (those nearest 5 first), the
// tie rule's two forms, the last key not reset at a melt, the empty slots
// holding 0, the step budget's slips, the key range's.
std::span<const variant> known_variants();

// A set of programs of the catalogue: bit i for known_variants()[i].
using variant_set = std::uint32_t;
variant_set all_variants();
variant_set bit_of(const variant& v);

// What a program writes for a test case: its runs, or, where it never
// finishes (it melts over and over without writing a key, with no pass
// budget to stop it), the runs before it began to repeat itself; such a
// program writes no run file.
struct played_runs {
  run_list runs;
  bool never_finishes = false;

  bool operator==(const played_runs&) const = default;
};
played_runs variant_runs(const variant& v, std::span<const std::int32_t> keys);

// How many runs `v` writes for `keys`, without keeping them; nothing where
// it never finishes.
std::optional<std::int64_t> variant_run_count(const variant& v, std::span<const std::int32_t> keys);

// True when `v` provably writes the runs the right program writes for
// `keys`, which are `right_runs`, `right` being what it did
// (generate_runs): without playing it. False where that takes playing it.
bool writes_right_runs(const variant& v, std::span<const std::int32_t> keys,
                       const generation_result& right, const run_set& right_runs);

// How the runs `v` writes for `keys` compare with `expected`. It stops
// playing `v` at the first key that differs, so a program that writes other
// runs and never finishes may be found to differ only.
enum class comparison { same, differs, never_finishes };
comparison compare(const variant& v, std::span<const std::int32_t> keys, const run_set& expected);

// True when the runs `v` writes for `keys` are `runs`, one test case's run
// lines as the check read them (without the 0 that a space before a line
// break makes): as many lines as runs, each line holding its run's keys and
// nothing more. It stops playing
// `v` at the first key that differs.
bool writes(const variant& v, std::span<const std::int32_t> keys, const laid_runs& runs);

// The programs among `tried` that write `runs` for `keys`: every one, never
// one whose runs differ (at once none where a line is not in ascending
// order, as every run of every program is, or the lines hold numbers that
// the keys and the zeros of empty slots do not).
variant_set recognise(std::span<const std::int32_t> keys, const laid_runs& runs,
                      variant_set tried = all_variants());

// The programs of `set` (not empty) as one noun phrase, the most likely
// first and buffer sizes together: "a program with a buffer of 3 or 4
// records"; "a program that writes all keys as one sorted run; a program
// with a buffer of 7 to 10 records writes the same".
std::string describe(variant_set set);

// The most likely program of `set` (not empty).
const variant& first_of(variant_set set);

// True when `v` is replacement selection that differs from the right
// program only in its step budget or the range of keys it keeps: on a test
// case whose keys all lie in -1..32767 and whose runs the right program
// finishes within the budget it writes the right runs.
bool differs_only_at_the_edges(const variant& v);

// The first program, in the catalogue's order, that writes `runs` for
// `keys`; nothing when none does. Unless `edges_matter` (keys outside
// -1..32767, or a budget the right program runs out of), the programs that
// differ only at those edges are not tried: they write the right runs.
const variant* recognise(std::span<const std::int32_t> keys, const laid_runs& runs,
                         bool edges_matter);

// True when `runs` are exactly the runs of `expected`.
bool same_runs(const run_list& runs, const run_set& expected);

}  // namespace runcheck::explain
