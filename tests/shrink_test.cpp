// --stress's test-case files and its shrinking, in process: the programs
// under test are the catalogue's faulty programs played by variants.h, or
// plain predicates, so that every property can be checked on many files.
#include "explain/stress/shrink.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "explain/authoring/make_tests.h"
#include "explain/diagnosis/variants.h"
#include "explain/stress/test_files.h"
#include "explain/stress/trial.h"
#include "generation/reference_generator.h"

namespace runcheck::explain {
namespace {

// What `v` does on `file`, as a program run on it would.
enum class outcome { passes, wrong_runs, never_finishes };

outcome outcome_of(const variant& v, const test_case_file& file) {
  std::string text;  // the run file it writes
  for (const std::vector<std::int32_t>& keys : file.test_cases) {
    const played_runs played = variant_runs(v, keys);
    if (played.never_finishes) return outcome::never_finishes;
    text += std::to_string(played.runs.size());
    text += '\n';
    for (const std::vector<std::int32_t>& run : played.runs) {
      for (std::size_t i = 0; i < run.size(); ++i) {
        if (i > 0) text += ' ';
        text += std::to_string(run[i]);
      }
      text += '\n';
    }
  }
  return failing_test_cases(file, text).empty() ? outcome::passes : outcome::wrong_runs;
}

// Passes the right program makes on `keys`, up to the budget.
int steps_of(const std::vector<std::int32_t>& keys) {
  reference_generator generator(keys);
  while (generator.next_pass()) {
  }
  return generator.steps();
}

// Every file with one test case or one key dropped: each is unfair, or
// does not fail.
void expect_one_minimal(const test_case_file& file,
                        const std::function<bool(const test_case_file&)>& fails) {
  for (std::size_t t = 0; t < file.test_cases.size(); ++t) {
    test_case_file fewer = file;
    fewer.test_cases.erase(fewer.test_cases.begin() + static_cast<std::ptrdiff_t>(t));
    EXPECT_FALSE(fair_test(fewer) && fails(fewer)) << "without test case " << t + 1 << " of\n"
                                                   << file_text(file);
    for (std::size_t k = 0; k < file.test_cases[t].size(); ++k) {
      test_case_file shorter = file;
      shorter.test_cases[t].erase(shorter.test_cases[t].begin() + static_cast<std::ptrdiff_t>(k));
      EXPECT_FALSE(fair_test(shorter) && fails(shorter))
          << "without key " << k + 1 << " of test case " << t + 1 << " of\n"
          << file_text(file);
    }
  }
}

// Each faulty program of the catalogue, caught by some test of the series,
// is shrunk from the first file that catches it to a file that it still
// fails the same way (wrong runs, or no end) and that is 1-minimal, within
// the runs, each file tried once and only fair ones.
TEST(shrink, every_variant_to_a_one_minimal_file) {
  // Each program from the files of a seed of its own, every other one from
  // the random files only (test 1, the --make-tests file, catches all).
  std::uint64_t seed = 0;
  for (const variant& v : known_variants()) {
    ++seed;
    SCOPED_TRACE(std::string(v.name) + ", seed " + std::to_string(seed));
    std::optional<test_case_file> failing;
    outcome failure = outcome::passes;
    for (std::int64_t n = seed % 2 == 0 ? 2 : 1; n <= 60 && !failing; ++n) {
      test_case_file file = stress_test_file(seed, n);
      failure = outcome_of(v, file);
      if (failure != outcome::passes) failing = std::move(file);
    }
    if (!failing) {
      failing = stress_test_file(seed, 1);
      failure = outcome_of(v, *failing);
    }
    ASSERT_NE(outcome::passes, failure);
    const auto fails = [&](const test_case_file& f) { return outcome_of(v, f) == failure; };
    std::set<std::string> tried;
    const shrink_result result = shrink(*failing, [&](const test_case_file& candidate) {
      EXPECT_TRUE(fair_test(candidate));
      EXPECT_TRUE(tried.insert(file_text(candidate)).second) << "tried twice";
      return fails(candidate) ? shrink_answer::same_failure : shrink_answer::other;
    });
    EXPECT_FALSE(result.cut_short);
    EXPECT_LE(result.runs, max_shrink_runs);
    EXPECT_EQ(std::ssize(tried), result.runs);
    EXPECT_TRUE(fails(result.file)) << file_text(result.file);
    expect_one_minimal(result.file, fails);
  }
}

// With the runs cut short, or a stop, the file handed back still fails.
TEST(shrink, bounded_and_stopped) {
  const test_case_file big = stress_test_file(7, 150);
  ASSERT_GT(big.key_count(), 100);
  const auto always = [](const test_case_file&) { return shrink_answer::same_failure; };
  for (const int runs : {0, 1, 5}) {
    SCOPED_TRACE(runs);
    const shrink_result result = shrink(big, always, runs);
    EXPECT_TRUE(result.cut_short);
    EXPECT_EQ(runs, result.runs);
    EXPECT_TRUE(fair_test(result.file));
    EXPECT_LE(result.file.key_count(), big.key_count());
  }
  // Where everything fails, one key is left.
  const shrink_result all = shrink(big, always);
  EXPECT_FALSE(all.cut_short);
  ASSERT_EQ(1U, all.file.test_cases.size());
  EXPECT_EQ(1U, all.file.test_cases[0].size());

  int calls = 0;
  const shrink_result stopped = shrink(big, [&](const test_case_file&) {
    return ++calls > 3 ? shrink_answer::stop : shrink_answer::same_failure;
  });
  EXPECT_TRUE(stopped.cut_short);
  EXPECT_EQ(4, calls);  // nothing tried after the stop
  EXPECT_LE(stopped.file.key_count(), big.key_count());
}

// Values are lowered and merged only where the failure holds: a failure
// that needs a key above another ends at two keys, 2 then 1; one that needs
// a key outside -1..32767 keeps it outside, as near as it goes.
TEST(shrink, values_lowered_where_the_failure_holds) {
  const test_case_file file = {{{5, 900, 17, 40, 3}, {8, 8, 1000, 20000}}};
  const auto descending_pair = [](const test_case_file& f) {
    for (const auto& keys : f.test_cases)
      for (std::size_t i = 1; i < keys.size(); ++i)
        if (keys[i - 1] > keys[i]) return shrink_answer::same_failure;
    return shrink_answer::other;
  };
  EXPECT_EQ((test_case_file{{{2, 1}}}), shrink(file, descending_pair).file);

  const test_case_file outside = {{{5, 40000, 3}, {7, 6, 5, 4, 3, 2, 1}}};
  const auto above_range = [](const test_case_file& f) {
    for (const auto& keys : f.test_cases)
      for (const std::int32_t k : keys)
        if (k > 32767) return shrink_answer::same_failure;
    return shrink_answer::other;
  };
  EXPECT_EQ((test_case_file{{{32768}}}), shrink(outside, above_range).file);
}

// The test case known to fail is tried alone first: one run where it is.
TEST(shrink, known_failing_test_case_first) {
  test_case_file file = stress_test_file(3, 120);
  file.test_cases.push_back({9, 8, 7});
  ASSERT_TRUE(fair_test(file));
  const std::size_t last = file.test_cases.size() - 1;
  std::vector<test_case_file> tried;
  shrink(
      file,
      [&](const test_case_file& candidate) {
        tried.push_back(candidate);
        for (const auto& keys : candidate.test_cases)
          if (keys == std::vector<std::int32_t>{9, 8, 7}) return shrink_answer::same_failure;
        return shrink_answer::other;
      },
      max_shrink_runs, last);
  ASSERT_FALSE(tried.empty());
  EXPECT_EQ((test_case_file{{{9, 8, 7}}}), tried.front());
}

TEST(test_files, text_read_back) {
  for (std::int64_t n = 1; n <= 60; n += 7) {
    const test_case_file file = stress_test_file(11, n);
    EXPECT_EQ(file, read_test_case_file(file_text(file)));
  }
  EXPECT_EQ("2\n3\n1 -2 40000\n1\n7\n", file_text({{{1, -2, 40000}, {7}}}));
  EXPECT_FALSE(read_test_case_file("2\n1\n5\n").has_value());    // a test case short
  EXPECT_FALSE(read_test_case_file("1\n3\n5 6\n").has_value());  // a key short
}

TEST(test_files, fair_only_where_the_listing_passes) {
  struct row {
    const char* name;
    test_case_file file;
    bool fair;
  };
  const row rows[] = {
      {"plain", {{{3, 1, 2}}}, true},
      {"no test case", {}, false},
      {"a test case without keys", {{{3}, {}}}, false},
      {"empty first run last", {{{3, 1}, {40000}}}, true},
      {"empty first run before another", {{{40000}, {3, 1}}}, false},
      {"keys below -1 last", {{{1}, {-3, -4}}}, true},
      {"key line of 2000 characters", {{std::vector<std::int32_t>(400, 10000)}}, false},
      {"key line of 1999 characters", {{std::vector<std::int32_t>(1000, 7)}}, true},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.fair, fair_test(r.file));
  }
}

// The series: the same for the same seed and number, the make-tests file
// first, always fair, growing, and of every shape.
TEST(test_files, series_of_a_seed) {
  EXPECT_EQ(read_test_case_file(make_test_case_file(4)), stress_test_file(4, 1));
  EXPECT_EQ(stress_test_file(4, 77), stress_test_file(4, 77));
  EXPECT_NE(stress_test_file(4, 77), stress_test_file(5, 77));
  std::int64_t early = 0;
  std::int64_t late = 0;
  bool budget = false, one_key = false, minus_one = false, top = false, below = false,
       above = false, empty_first_run = false, equal_runs = false;
  for (std::int64_t n = 2; n <= 200; ++n) {
    const test_case_file file = stress_test_file(4, n);
    ASSERT_TRUE(fair_test(file)) << n;
    if (n <= 50) early += file.key_count();
    if (n > 150) late += file.key_count();
    for (const std::vector<std::int32_t>& keys : file.test_cases) {
      budget = budget || steps_of(keys) >= 500;
      one_key = one_key || keys.size() == 1;
      for (const std::int32_t k : keys) {
        minus_one = minus_one || k == -1;
        top = top || k == 32767;
        below = below || k < -1;
        above = above || k > 32767;
      }
      empty_first_run = empty_first_run || reference_runs(keys).front().empty();
      equal_runs = equal_runs || std::count(keys.begin(), keys.end(), keys.front()) > 5;
    }
  }
  EXPECT_GT(late, 3 * early);
  EXPECT_TRUE(budget && one_key && minus_one && top && below && above && empty_first_run &&
              equal_runs);
}

}  // namespace
}  // namespace runcheck::explain
