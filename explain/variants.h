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

// Every variant, in the order they are tried: the buffer sizes 1 to 10 but
// 5, equal keys frozen, natural runs, five keys sorted at a time, one sorted
// run, the step budget ignored, keys outside the range kept.
std::span<const variant> known_variants();

// The runs `v` writes for `keys`. A program that ignores the step budget
// loops for ever on a key below the range; it is played until it has run
// past the budget and every key in range could have been written.
run_list variant_runs(const variant& v, std::span<const std::int32_t> keys);

// The rules with which variant_runs plays a selection variant on `keys`:
// its own, with a budget it can run past where it ignores the budget.
selection_rules played_rules(const variant& v, std::span<const std::int32_t> keys);

// True when `runs` are exactly the runs of `expected`.
bool same_runs(const run_list& runs, const run_set& expected);

}  // namespace runcheck::explain
