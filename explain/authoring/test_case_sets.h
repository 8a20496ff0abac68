// Sets of test cases chosen by what each catches on its own (coverage.h):
// those that catch nothing the others do not, and a smallest set that
// catches everything the test cases catch together.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "explain/authoring/coverage.h"

namespace runcheck::explain {

// The test cases (from 0) whose catches the other test cases' catches hold.
test_case_list redundant_test_cases(std::span<const variant_set> catches);

// The test cases (from 0, in order) of a smallest set whose catches together
// are those of all of them. Of test cases that catch the same, the one with
// the fewest keys (`keys_of`) stands for the others. Sets of one test case,
// then two, and so on are searched; where that would take more than
// max_cover_steps steps, a small set found greedily is given instead.
inline constexpr std::int64_t max_cover_steps = 2'000'000;
std::vector<std::int32_t> smallest_cover(std::span<const variant_set> catches,
                                         std::span<const std::int32_t> keys_of);

}  // namespace runcheck::explain
