// The author's actions on a test-case file of their own: --minimize keeps a
// smallest subset that catches as much, in the file's order; --extend adds
// after the author's test cases, unchanged, the fewest that close its gaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "explain/authoring/coverage.h"
#include "explain/authoring/make_tests.h"
#include "explain/authoring/test_authoring.h"
#include "input/text_reader.h"

namespace runcheck::explain {
namespace {

using key_lists = std::vector<std::vector<std::int32_t>>;

// A test-case file in the tests' own folder, removed at the end.
class scratch_file {
 public:
  explicit scratch_file(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  scratch_file(const scratch_file&) = delete;
  scratch_file& operator=(const scratch_file&) = delete;
  ~scratch_file() { static_cast<void>(std::remove(path_.c_str())); }
  const std::string& path() const { return path_; }

 private:
  std::string path_ = "authoring_test_cases.txt";
};

// The test cases of a file written as test_case_file_text writes them.
key_lists test_cases_of(const std::string& text) {
  std::vector<std::int32_t> numbers;
  std::istringstream in(text);
  for (std::int32_t n = 0; in >> n;) numbers.push_back(n);
  key_lists cases;
  std::size_t i = 1;
  for (std::int32_t t = 0; t < numbers[0]; ++t) {
    const auto n = static_cast<std::size_t>(numbers[i++]);
    cases.emplace_back(numbers.begin() + static_cast<std::ptrdiff_t>(i),
                       numbers.begin() + static_cast<std::ptrdiff_t>(i + n));
    i += n;
  }
  return cases;
}

// The programs a file catches.
std::vector<std::string_view> caught(const std::string& text) {
  std::vector<std::string_view> names;
  for (const variant_coverage& v : check_coverage("file", text).variants) {
    if (v.caught_by) names.push_back(v.name);
  }
  return names;
}

TEST(authoring, minimize_keeps_every_catch_with_fewer_test_cases) {
  // A file made for a seed, with copies and small test cases mixed in.
  for (const std::uint64_t seed : {1ULL, 2ULL, 3ULL}) {
    SCOPED_TRACE(seed);
    key_lists cases = test_cases_of(make_test_case_file(seed));
    cases.insert(cases.begin(), {{3, 1, 2}, {5, 5, 5}, cases[0]});
    const std::string text = test_case_file_text(cases);
    const scratch_file file(text);
    output out;
    output err;
    ASSERT_EQ(0, run_minimize(file.path(), out, err)) << err.text();
    const key_lists kept = test_cases_of(out.text());
    EXPECT_LT(kept.size(), cases.size());
    EXPECT_EQ(caught(text), caught(out.text()));
    // In the file's order, each one of the file's.
    auto from = cases.begin();
    for (const auto& k : kept) {
      from = std::find(from, cases.end(), k);
      ASSERT_NE(cases.end(), from);
    }
  }
}

TEST(authoring, extend_closes_the_gaps_after_the_authors_own_test_cases) {
  const key_lists own = {{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, {30, 10, 20}};
  const std::string text = test_case_file_text(own);
  for (const std::uint64_t seed : {1ULL, 7ULL}) {
    SCOPED_TRACE(seed);
    const scratch_file file(text);
    output out;
    output err;
    ASSERT_EQ(0, run_extend(file.path(), seed, out, err)) << err.text();
    const key_lists extended = test_cases_of(out.text());
    ASSERT_GT(extended.size(), own.size());
    EXPECT_EQ(own, key_lists(extended.begin(), extended.begin() + 2));
    EXPECT_EQ(0, check_coverage("extended", out.text()).status());
    // Fewest: no one test case added can go.
    for (std::size_t drop = own.size(); drop < extended.size(); ++drop) {
      key_lists fewer = extended;
      fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(drop));
      EXPECT_NE(0, check_coverage("fewer", test_case_file_text(fewer)).status());
    }
  }
  // A file whose last test case has an empty first run takes none after it.
  const key_lists empty_last = {{30, 10, 20}, {-3}};
  const scratch_file file(test_case_file_text(empty_last));
  output out;
  output err;
  EXPECT_EQ(2, run_extend(file.path(), 1, out, err));
  EXPECT_NE(std::string::npos, err.text().find("empty first run"));
}

}  // namespace
}  // namespace runcheck::explain
