// Shrinking a failing test-case file: test cases and keys are dropped by
// delta debugging (chunks of halving size, then one at a time), key values
// lowered and distinct values merged, while the program still fails the
// same way, until the file is 1-minimal: dropping any one test case or key
// leaves a file it passes, fails differently on, or that is no fair test
// (test_files.h).
//
// Each run of the program costs a process, so the runs are bounded; a file
// is never tried twice.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "explain/stress/test_files.h"

namespace runcheck::explain {

// The runs that shrinking may take: a few hundred.
inline constexpr int max_shrink_runs = 300;

// What a run of the program on a candidate file says.
enum class shrink_answer {
  same_failure,  // it fails as it did on the file being shrunk
  other,         // it passes, or fails another way
  stop,          // no more runs: shrinking ends here (an interrupt)
};
using shrink_predicate = std::function<shrink_answer(const test_case_file&)>;

struct shrink_result {
  test_case_file file;  // the smallest file found that fails the same way
  int runs = 0;         // calls of the predicate
  // The runs ran out, or one said stop: `file` fails, but may not be
  // 1-minimal.
  bool cut_short = false;
};

// `fails(candidate)` runs the program on a fair candidate and says whether
// it fails as it does on `failing`, which must be fair and fail. It is
// called at most `max_runs` times, never twice with one file. `first_failing`, where known, is a
// test case that fails on its own, tried alone first.
shrink_result shrink(const test_case_file& failing, const shrink_predicate& fails,
                     int max_runs = max_shrink_runs,
                     std::optional<std::size_t> first_failing = std::nullopt);

}  // namespace runcheck::explain
