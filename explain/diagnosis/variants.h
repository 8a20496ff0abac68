// Programs that get replacement selection wrong in the ways such programs
// commonly do, each able to give the runs it would write for a test case.
// runcheck-explain recognises a failing test case as one of them, and tells
// the author of a test-case file which of them the file catches.
//
// The replacement-selection variants are the reference generator with one
// rule changed; the others write runs another way altogether.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "explain/report/report.h"
#include "generation/reference_generator.h"
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

// Every variant, in the order they are tried: natural runs, the buffer sizes
// 1 to 10 but 5, equal keys frozen, five keys sorted at a time, one sorted
// run, the step budget ignored, keys outside the range kept.
std::span<const variant> known_variants();

// The runs `v` writes for `keys`. A program that ignores the step budget
// loops for ever on a key below the range; it is played until it has run
// past the budget and every key in range could have been written.
run_list variant_runs(const variant& v, std::span<const std::int32_t> keys);

// The rules with which variant_runs plays a selection variant on `keys`:
// its own, with a budget it can run past where it ignores the budget.
selection_rules played_rules(const variant& v, std::span<const std::int32_t> keys);

// True when the runs `v` writes for `keys` are `runs`, one test case's run
// lines as the check read them (without the 0 that a space before a line
// break makes): as many lines as runs, each line holding its run's keys and
// nothing more. It stops playing
// `v` at the first key that differs.
bool writes(const variant& v, std::span<const std::int32_t> keys, const laid_runs& runs);

// True when `v` is replacement selection that differs from the right
// program only in its step budget or the range of keys it keeps: on a test
// case whose keys all lie in -1..32767 and whose runs the right program
// finishes within the budget it writes the right runs.
bool differs_only_at_the_edges(const variant& v);

// The first variant, in the catalogue's order, that writes `runs` for
// `keys`; nothing when none does (at once where a line is not in ascending
// order, as every run of every variant is, or the lines hold a number more
// often than the keys do, as no variant writes a key twice). Unless `edges_matter` (keys outside
// -1..32767, or a budget the right program runs out of), the variants that
// differ only at those edges are not tried: they write the right runs.
const variant* recognise(std::span<const std::int32_t> keys, const laid_runs& runs,
                         bool edges_matter);

// True when `runs` are exactly the runs of `expected`.
bool same_runs(const run_list& runs, const run_set& expected);

}  // namespace runcheck::explain
