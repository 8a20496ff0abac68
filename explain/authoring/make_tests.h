// --make-tests: a test-case file that catches every faulty program of the
// catalogue (variants.h) and exercises every rule of coverage.h, with few
// keys, for a course to start from.
//
// One test case is built for the longest listing line: 334 keys whose key
// line is 1999 characters, all in one run, the same for every seed. The
// others are drawn from seeded small test cases, chosen one at a time for
// what they add per key, then shrunk: a test case, then a key, goes while
// the whole file still covers everything. A test case whose first run is empty
// comes last, and only one may: after another it would put a run file equal
// to the expected listing out of step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "explain/diagnosis/variants.h"

namespace runcheck::explain {

// The test-case file for `seed`, in the format runcheck reads: the same on
// every run and platform for the same seed.
std::string make_test_case_file(std::uint64_t seed);

// Test cases that catch every program of `wanted` on their own (coverage.h),
// to add to a file that does not: as few as a pool of small test cases
// drawn from `seed` allows, each then cut down key by key; one whose first
// run is empty only where none other will do, and last. Fewer where the
// pool catches less than `wanted`.
std::vector<std::vector<std::int32_t>> test_cases_catching(variant_set wanted, std::uint64_t seed);

}  // namespace runcheck::explain
