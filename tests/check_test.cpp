// The checker against the listing, on random test-case files: what a run
// file equal to the expected listing gets, and what one slip in it gets.
// The cases pin the messages; these properties hold on files no case holds.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "check/run_file_checker.h"
#include "generation/expected_runs.h"
#include "runs/listing.h"

namespace runcheck {
namespace {

// A test-case file of `count` test cases in a mix of shapes: random keys,
// many equal keys, descending keys, keys at and past the edges of the range.
std::string random_test_case_file(std::mt19937& random, int count) {
  std::string file = std::to_string(count) + "\n";
  for (int t = 0; t < count; ++t) {
    const int shape = std::uniform_int_distribution<int>(0, 4)(random);
    const int n = std::uniform_int_distribution<int>(1, shape == 4 ? 8 : 120)(random);
    file += std::to_string(n) + "\n";
    for (int i = 0; i < n; ++i) {
      std::int32_t key = 0;
      switch (shape) {
        case 0:
          key = std::uniform_int_distribution<std::int32_t>(0, 999)(random);
          break;
        case 1:
          key = std::uniform_int_distribution<std::int32_t>(0, 3)(random);
          break;
        case 2:
          key = 1000 - i;
          break;
        case 3: {
          constexpr std::int32_t edges[] = {-1, 0, 32767, 5, 32766};
          key = edges[std::uniform_int_distribution<int>(0, 4)(random)];
          break;
        }
        default: {
          constexpr std::int32_t outside[] = {-2, -1, 7, 32767, 32768, 40000};
          key = outside[std::uniform_int_distribution<int>(0, 5)(random)];
          break;
        }
      }
      file += std::to_string(key) + (i + 1 < n ? " " : "\n");
    }
  }
  return file;
}

struct findings final : check_observer {
  std::vector<bool> passed;
  std::vector<run_report> wrong;
  void count_read(const count_report& /*count*/) override {}
  void run_line_read(const run_line_report& /*line*/) override {}
  void wrong_run(const run_report& run) override { wrong.push_back(run); }
  void test_case_checked(const test_case_verdict& verdict) override {
    passed.push_back(verdict.passed);
  }
};

findings check(const run_table& table, const std::string& run_file) {
  findings found;
  text_reader file = read_text(run_file);
  key_line line;
  check_run_file(file, table, line, found);
  return found;
}

std::string listing_of(const run_table& table) {
  output out;
  print_listing(out, table);
  return out.text();
}

// A listing reads back in step unless a test case whose first run is empty
// comes before another (its count read skips the empty lines) or a line is
// too long for one key-line read.
bool reads_in_step(const run_table& table, const std::string& listing) {
  for (std::int32_t t = 0; t + 1 < table.size(); ++t)
    if (run_length(table[t], 1) == 0) return false;
  std::size_t start = 0;
  for (std::size_t end = listing.find('\n'); end != std::string::npos;
       start = end + 1, end = listing.find('\n', start)) {
    if (end - start + 1 >= read_str_size) return false;
  }
  return true;
}

class random_files : public ::testing::Test {
 protected:
  std::optional<expected_runs> generate(const std::string& file) {
    text_reader input = read_text(file);
    stop why;
    return generate_expected_runs(std::move(input), line_, nullptr, why);
  }
  std::mt19937 random_{2024};  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same files every run
  key_line line_;
};

TEST_F(random_files, the_listing_passes_where_it_reads_in_step) {
  int in_step = 0;
  for (int round = 0; round < 300; ++round) {
    const std::string file = random_test_case_file(random_, 1 + round % 7);
    SCOPED_TRACE(file);
    const std::optional<expected_runs> expected = generate(file);
    ASSERT_TRUE(expected);
    const std::string listing = listing_of(expected->table);
    const findings found = check(expected->table, listing);
    ASSERT_EQ(found.passed.size(), static_cast<std::size_t>(expected->table.size()));
    if (!reads_in_step(expected->table, listing)) continue;
    ++in_step;
    for (const bool passed : found.passed) EXPECT_TRUE(passed);
    EXPECT_TRUE(found.wrong.empty());
  }
  EXPECT_GT(in_step, 100);
}

// One key changed in one run line fails exactly its test case, at that run
// and position; numbers added after a run's last key fail nothing.
TEST_F(random_files, one_slip_fails_its_test_case_alone) {
  int slipped = 0;
  for (int round = 0; round < 300; ++round) {
    const std::string file = random_test_case_file(random_, 1 + round % 5);
    const std::optional<expected_runs> expected = generate(file);
    ASSERT_TRUE(expected);
    const run_table& table = expected->table;
    const std::string listing = listing_of(table);
    if (!reads_in_step(table, listing)) continue;
    // A key of a run with keys, picked at random.
    const std::int32_t t =
        std::uniform_int_distribution<std::int32_t>(0, table.size() - 1)(random_);
    std::vector<std::int64_t> runs_with_keys;
    for (std::int64_t run = 1; run <= table[t].run_count; ++run)
      if (run_length(table[t], run) > 0) runs_with_keys.push_back(run);
    if (runs_with_keys.empty()) continue;
    const std::int64_t r = runs_with_keys[std::uniform_int_distribution<std::size_t>(
        0, runs_with_keys.size() - 1)(random_)];
    const auto keys = run_keys(table[t], r);
    const auto p = std::uniform_int_distribution<std::size_t>(0, keys.size() - 1)(random_);
    std::size_t at = 0;  // where the run line of test case t's run r starts
    for (std::int32_t u = 0; u <= t; ++u) {
      const std::int64_t lines = u < t ? 1 + table[u].run_count : r;
      for (std::int64_t i = 0; i < lines; ++i) at = listing.find('\n', at) + 1;
    }
    const std::size_t end = listing.find('\n', at);
    std::vector<std::string> words;
    for (std::size_t w = at; w <= end;) {
      const std::size_t stop = std::min(listing.find(' ', w), end);
      words.push_back(listing.substr(w, stop - w));
      w = stop + 1;
    }
    SCOPED_TRACE(file);
    words[p] = std::to_string(keys[p] == 0 ? 1 : -keys[p] - 1);
    std::string line_text;
    for (std::size_t i = 0; i < words.size(); ++i) {
      if (i > 0) line_text += ' ';
      line_text += words[i];
    }
    const std::string changed = listing.substr(0, at) + line_text + listing.substr(end);
    const findings found = check(table, changed);
    for (std::int32_t u = 0; u < table.size(); ++u) EXPECT_EQ(found.passed[u], u != t) << u;
    ASSERT_EQ(found.wrong.size(), 1U);
    EXPECT_EQ(found.wrong[0].test_case, t);
    EXPECT_EQ(found.wrong[0].run, r - 1);
    EXPECT_EQ(found.wrong[0].position, static_cast<std::int64_t>(p));
    EXPECT_EQ(found.wrong[0].expected, keys[p]);
    const std::string extra = listing.substr(0, end) + " 7 8" + listing.substr(end);
    const findings tolerated = check(table, extra);
    for (const bool passed : tolerated.passed) EXPECT_TRUE(passed);
    ++slipped;
  }
  EXPECT_GT(slipped, 100);
}

}  // namespace
}  // namespace runcheck
