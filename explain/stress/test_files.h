// The test-case files of --stress: as data, as text, and the series a
// seed gives.
//
// Test 1 of a seed is the file --make-tests makes for it, which catches
// every faulty program of the catalogue; the tests after it are random
// files that grow with their number, their test cases of mixed shapes
// (random keys, many equal keys, descending, keys at -1 and 32767 and
// outside them, test cases that spend the 500 passes, one key, an empty
// first run). Each file of the series is made from the seed and its number
// alone, so one can be made again without the ones before it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace runcheck::explain {

// A test-case file as data: each test case's key list, in file order.
struct test_case_file {
  std::vector<std::vector<std::int32_t>> test_cases;

  std::int64_t key_count() const;
  bool operator==(const test_case_file&) const = default;
};

// The file in the format runcheck reads: num_test_cases, then each test
// case's num_keys and its key line, one space between keys.
std::string file_text(const test_case_file& file);

// The test cases of `text`, read as runcheck reads them; nothing where
// runcheck stops on it.
std::optional<test_case_file> read_test_case_file(std::string_view text);

// True when runcheck can use `file` and passes a run file that holds its
// expected listing: every test case has keys, every key line is read whole,
// and no test case whose first run is empty puts the listing out of step.
// A program under test is only judged on such files.
bool fair_test(const test_case_file& file);

// Test `number` (from 1) of the series of `seed`. Always fair.
test_case_file stress_test_file(std::uint64_t seed, std::int64_t number);

}  // namespace runcheck::explain
