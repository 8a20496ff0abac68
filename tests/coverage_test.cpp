// Coverage for the author of a test-case file, held to runcheck's own
// check: each program of the catalogue writes its run file for random
// test-case files, the checker reads it whole, and coverage must say
// exactly what the checker says (caught or not, and the first test case it
// fails); a file made by --make-tests catches every program for every seed;
// the sets of test cases chosen by their catches are what they claim.
#include "explain/authoring/coverage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "check/run_file_checker.h"
#include "explain/authoring/make_tests.h"
#include "explain/authoring/stream_check.h"
#include "explain/authoring/test_case_sets.h"
#include "explain/diagnosis/variants.h"
#include "generation/run_generator.h"
#include "input/text_reader.h"

namespace runcheck::explain {
namespace {

using key_list = std::vector<std::int32_t>;

// The first test case (from 0) that the checker fails, reading `text`.
class first_failure_finder final : public check_observer {
 public:
  void count_read(const count_report& /*count*/) override {}
  void run_line_read(const run_line_report& /*line*/) override {}
  void wrong_run(const run_report& /*run*/) override {}
  void test_case_checked(const test_case_verdict& verdict) override {
    if (!verdict.passed && !first) first = verdict.test_case;
  }
  std::optional<std::int32_t> first;
};

std::optional<std::int32_t> first_failure(const std::string& text, const run_table& table) {
  text_reader file = read_text(text);
  key_line line;
  first_failure_finder finder;
  check_run_file(file, table, line, finder);
  return finder.first;
}

// Runs in the listing format, written out plainly.
void append_listing(std::string& text, const run_list& runs) {
  text += std::to_string(runs.size()) + "\n";
  for (const auto& run : runs) {
    for (std::size_t i = 0; i < run.size(); ++i) {
      if (i > 0) text += ' ';
      text += std::to_string(run[i]);
    }
    text += "\n";
  }
}

// A random test case of one of the kinds that tell programs apart: equal
// keys, keys at and past the edges of -1..32767, descending keys, the
// budget spent, an empty first run, up to 600 keys.
key_list random_test_case(std::mt19937& random) {
  const auto pick = [&](int low, int high) {
    return std::uniform_int_distribution(low, high)(random);
  };
  key_list keys(static_cast<std::size_t>(pick(1, 12)));
  switch (pick(0, 7)) {
    case 0:  // equal keys
      for (std::int32_t& k : keys) k = pick(0, 3);
      break;
    case 1:  // the edges
      for (std::int32_t& k : keys)
        k = std::array{-1, 32767, -2, 32768, 5, 9, -7, 40000}[static_cast<std::size_t>(pick(0, 7))];
      break;
    case 2:  // descending
      for (std::int32_t& k : keys) k = pick(0, 99);
      std::sort(keys.rbegin(), keys.rend());
      break;
    case 3:  // the budget spent, by equal keys or by descending ones
      keys.assign(static_cast<std::size_t>(pick(499, 600)), pick(0, 2));
      if (pick(0, 1) == 0) {
        keys.resize(499);  // a key line of at most 1999 characters
        for (std::size_t i = 0; i < keys.size(); ++i)
          keys[i] = static_cast<std::int32_t>(keys.size() - i);
      }
      break;
    case 4:  // an empty first run
      for (std::int32_t& k : keys) k = pick(0, 1) == 0 ? pick(-9, -2) : pick(32768, 32800);
      keys.resize(std::min<std::size_t>(keys.size(), 5));
      break;
    case 5:  // many keys
      keys.resize(static_cast<std::size_t>(pick(13, 600)));
      for (std::int32_t& k : keys) k = pick(-2, 9);
      break;
    default:
      for (std::int32_t& k : keys) k = pick(-1, 60);
  }
  return keys;
}

struct random_file {
  std::vector<key_list> test_cases;
  run_table table;  // the right runs
};

random_file make_random_file(std::mt19937& random) {
  random_file f;
  const int n = std::uniform_int_distribution(1, 6)(random);
  for (int i = 0; i < n; ++i) f.test_cases.push_back(random_test_case(random));
  for (const key_list& keys : f.test_cases) {
    run_set set = *f.table.open_test_case();
    generate_runs(keys, set);
    f.table.close_test_case(set);
  }
  return f;
}

// What runcheck does with a program's run file: it writes its runs test
// case by test case, up to a test case on which it never finishes, and the
// checker reads what it wrote.
struct checked_program {
  std::optional<std::int32_t> caught_by;
  bool never_finishes = false;
};

checked_program check_program(const variant& v, const random_file& f) {
  std::string text;
  std::optional<std::int32_t> endless;
  for (std::size_t t = 0; t < f.test_cases.size() && !endless; ++t) {
    const played_runs played = variant_runs(v, f.test_cases[t]);
    if (played.never_finishes) {
      endless = static_cast<std::int32_t>(t);
    } else {
      append_listing(text, played.runs);
    }
  }
  const std::optional<std::int32_t> failed = first_failure(text, f.table);
  if (failed && (!endless || *failed < *endless)) return {.caught_by = failed};
  if (endless) return {.caught_by = endless, .never_finishes = true};
  return {};
}

run_list runs_of(const run_set& set) {
  run_list runs;
  for (std::int64_t r = 1; r <= set.run_count; ++r) {
    const auto keys = run_keys(set, r);
    runs.emplace_back(keys.begin(), keys.end());
  }
  return runs;
}

TEST(coverage, claims_agree_with_the_checker_on_each_program_run_file) {
  std::mt19937 random(17);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same files every run
  int unusable = 0;
  int caught = 0;
  int passing = 0;
  for (int i = 0; i < 300; ++i) {
    const random_file f = make_random_file(random);
    const std::string file_text = test_case_file_text(f.test_cases);
    SCOPED_TRACE(file_text.substr(0, 300));
    const coverage_report report = check_coverage("random", file_text);
    ASSERT_FALSE(report.stopped);
    // The right program's own listing.
    std::string right;
    for (std::int32_t t = 0; t < f.table.size(); ++t) append_listing(right, runs_of(f.table[t]));
    const std::optional<std::int32_t> right_failure = first_failure(right, f.table);
    ASSERT_EQ(right_failure.has_value(), report.right_fails.has_value());
    if (right_failure) {
      ++unusable;
      EXPECT_EQ(*right_failure, report.right_fails->test_case);
      EXPECT_EQ(2, report.status());
      continue;
    }
    for (std::size_t v = 0; v < known_variants().size(); ++v) {
      const variant& program = known_variants()[v];
      SCOPED_TRACE(std::string(program.name));
      const checked_program want = check_program(program, f);
      EXPECT_EQ(want.caught_by, report.variants[v].caught_by);
      EXPECT_EQ(want.never_finishes, report.variants[v].never_finishes);
      (want.caught_by ? caught : passing) += 1;
    }
    // What each test case catches on its own: the checker fails the file
    // that holds that test case's runs alone.
    ASSERT_EQ(report.num_test_cases, report.analysed);
    for (std::int32_t t = 0; t < report.analysed; ++t) {
      run_table alone;
      run_set set = *alone.open_test_case();
      generate_runs(f.test_cases[static_cast<std::size_t>(t)], set);
      alone.close_test_case(set);
      for (const variant& program : known_variants()) {
        const played_runs played = variant_runs(program, f.test_cases[static_cast<std::size_t>(t)]);
        std::string text;
        append_listing(text, played.runs);
        const bool want = played.never_finishes || first_failure(text, alone).has_value();
        EXPECT_EQ(want, (report.catches[static_cast<std::size_t>(t)] & bit_of(program)) != 0)
            << "test case " << t << ", " << program.name;
      }
    }
  }
  // The files tried give every answer.
  EXPECT_GT(unusable, 5);
  EXPECT_GT(caught, 1000);
  EXPECT_GT(passing, 300);
}

// The findings where runcheck passes a program that differs: a
// line longer than the expected run, a run line where the expected run is
// empty, and a program that never finishes.
TEST(coverage, what_runcheck_passes_is_not_caught) {
  struct row {
    const char* name;
    key_list keys;
    std::vector<std::string_view> gaps;
    std::vector<std::string_view> never_finish;
  };
  const row rows[] = {
      {"600 equal keys",
       key_list(600, 1),
       {"one_sorted_run", "natural_runs", "budget_ignored", "budget_501"},
       {}},
      {"a key above the range",
       {1, 32768, 2},
       {"sorted_fives", "one_sorted_run", "ceiling_ignored", "range_ignored"},
       {}},
      {"a key below it",
       {-3},
       {"buffer_4", "last_key_not_reset"},
       {"budget_ignored", "budget_counts_writes"}},
      {"a key below it after others",
       {9, 32767, -2},
       {},
       {"budget_ignored", "budget_counts_writes"}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    const coverage_report report =
        check_coverage("row", test_case_file_text(std::span(&r.keys, 1)));
    for (const variant_coverage& v : report.variants) {
      const auto in = [&](const std::vector<std::string_view>& names) {
        return std::find(names.begin(), names.end(), v.name) != names.end();
      };
      if (in(r.gaps)) {
        EXPECT_FALSE(v.caught_by) << v.name;
      }
      if (in(r.never_finish)) {
        EXPECT_EQ(std::optional<std::int32_t>(0), v.caught_by) << v.name;
        EXPECT_TRUE(v.never_finishes) << v.name;
      }
    }
  }
}

// The checker fed a run file one test case's text at a time decides each
// test case as the checker reading the whole file does, however the texts
// slip out of step: counts off by one, blank lines, runs split or joined.
TEST(coverage, a_file_checked_as_it_is_written_reads_as_the_whole) {
  std::mt19937 random(23);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same files every run
  const auto pick = [&](int low, int high) {
    return std::uniform_int_distribution(low, high)(random);
  };
  for (int i = 0; i < 500; ++i) {
    const random_file f = make_random_file(random);
    std::vector<std::string> texts;
    for (std::int32_t t = 0; t < f.table.size(); ++t) {
      run_list runs = runs_of(f.table[t]);
      std::string text;
      switch (pick(0, 5)) {
        case 0:
          runs.emplace_back();
          break;  // a run too many
        case 1:
          if (runs.size() > 1) runs.pop_back();
          break;  // one too few
        case 2:
          if (!runs[0].empty()) runs[0].pop_back();
          break;  // a key left out
        default:
          break;
      }
      append_listing(text, runs);
      if (pick(0, 4) == 0) {  // a blank line after the count
        const auto after_count = static_cast<std::ptrdiff_t>(text.find('\n') + 1);
        text.insert(text.begin() + after_count, '\n');
      }
      texts.push_back(text);
    }
    std::string whole;
    stream_check written;
    for (std::int32_t t = 0; t < f.table.size(); ++t) {
      whole += texts[static_cast<std::size_t>(t)];
      written.add(f.table[t], texts[static_cast<std::size_t>(t)]);
    }
    written.end();
    SCOPED_TRACE(whole.substr(0, 300));
    EXPECT_EQ(first_failure(whole, f.table), written.first_failure());
  }
}

TEST(coverage, test_case_sets) {
  std::mt19937 random(29);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same sets every run
  for (int i = 0; i < 300; ++i) {
    std::vector<variant_set> catches(
        static_cast<std::size_t>(std::uniform_int_distribution(1, 9)(random)));
    for (variant_set& c : catches)
      c = std::uniform_int_distribution<variant_set>(0, 63)(random) &
          std::uniform_int_distribution<variant_set>(0, 63)(random);
    const std::vector<std::int32_t> keys_of(catches.size(), 1);
    variant_set all = 0;
    for (const variant_set c : catches) all |= c;
    // Redundant: caught by the others together.
    const test_case_list redundant = redundant_test_cases(catches);
    std::int64_t count = 0;
    for (std::size_t t = 0; t < catches.size(); ++t) {
      variant_set others = 0;
      for (std::size_t u = 0; u < catches.size(); ++u) others |= u == t ? 0 : catches[u];
      count += (catches[t] & ~others) == 0 ? 1 : 0;
    }
    EXPECT_EQ(count, redundant.count);
    // The smallest cover: it covers, and no set of fewer test cases does.
    const std::vector<std::int32_t> cover = smallest_cover(catches, keys_of);
    variant_set covered = 0;
    for (const std::int32_t t : cover) covered |= catches[static_cast<std::size_t>(t)];
    EXPECT_EQ(all, covered);
    EXPECT_TRUE(std::is_sorted(cover.begin(), cover.end()));
    for (unsigned subset = 0; subset < (1U << catches.size()); ++subset) {
      if (std::popcount(subset) >= std::ssize(cover)) continue;
      variant_set some = 0;
      for (std::size_t t = 0; t < catches.size(); ++t)
        some |= (subset >> t & 1) != 0 ? catches[t] : 0;
      ASSERT_NE(all, some) << "a smaller cover: " << subset;
    }
  }
}

TEST(make_tests, every_seed_gives_a_file_that_catches_every_program) {
  for (std::uint64_t seed = 1; seed <= 1000; ++seed) {
    SCOPED_TRACE(seed);
    const coverage_report report = check_coverage("made", make_test_case_file(seed));
    ASSERT_EQ(0, report.status());
    ASSERT_EQ(static_cast<std::int32_t>(rule_count), report.exercised());
    ASSERT_EQ(0, report.out_of_step.count);
    ASSERT_TRUE(report.warnings.empty());
    ASSERT_LE(report.num_keys, 360);
  }
  for (const std::uint64_t seed : {0ULL, 18446744073709551615ULL}) {
    EXPECT_EQ(0, check_coverage("made", make_test_case_file(seed)).status());
  }
}

}  // namespace
}  // namespace runcheck::explain
