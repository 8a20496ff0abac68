// Recognising the program in a run file: a failing test case is named by
// exactly the programs of the catalogue whose runs the file holds, the most
// likely first, never by one whose runs differ, never by the right program
// (whose runs pass); the whole file by those that write every failing test
// case's runs.
#include "explain/diagnosis/recognition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "diagnosed.h"

namespace runcheck::explain {
namespace {

using key_list = std::vector<std::int32_t>;

// Test cases of the kinds that tell programs apart: random keys, many equal
// keys, descending keys, keys at -1 and 32767 and past them, 1 to 600 keys;
// every key line within the 1999 characters a read takes.
std::vector<key_list> probes(unsigned seed, int count) {
  std::mt19937 random(seed);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same keys every run
  const auto pick = [&](int low, int high) {
    return std::uniform_int_distribution(low, high)(random);
  };
  std::vector<key_list> lists = {{-7}, {13, 49, 13, 10, 55, 10}, {29, 3, 40000, 30}};
  for (int i = 0; i < count; ++i) {
    key_list keys(static_cast<std::size_t>(i % 9 == 0 ? pick(1, 600) : pick(1, 14)));
    const int kind = i % 4;
    for (std::int32_t& k : keys) {
      k = kind == 1 ? pick(0, 3) : pick(0, 9);
      if (kind == 3 && pick(0, 5) == 0)
        k = std::array{-1, 32767, -2, 32768}[static_cast<std::size_t>(pick(0, 3))];
    }
    if (kind == 2) std::sort(keys.rbegin(), keys.rend());
    lists.push_back(std::move(keys));
  }
  return lists;
}

// The names of the programs, most likely first, that write `runs` for
// `keys`: those whose own runs are these.
std::vector<std::string_view> writers(const std::vector<played_runs>& played,
                                      const run_list& runs) {
  std::vector<std::string_view> names;
  for (std::size_t u = 0; u < played.size(); ++u) {
    if (!played[u].never_finishes && played[u].runs == runs)
      names.push_back(known_variants()[u].name);
  }
  return names;
}

// True when the check reads `runs`, written as a listing, as they are: each
// line whole, and the first not empty (a count read skips empty lines after
// the count).
bool read_as_written(const run_list& runs) {
  if (runs[0].empty()) return false;
  return std::all_of(runs.begin(), runs.end(), [](const std::vector<std::int32_t>& run) {
    std::size_t length = 0;
    for (const std::int32_t k : run) length += std::to_string(k).size() + 1;
    return length < 1999;
  });
}

TEST(recognition, names_exactly_the_programs_that_write_the_runs) {
  int named = 0;
  for (const key_list& keys : probes(3, 60)) {
    SCOPED_TRACE(std::to_string(keys.size()) + " keys, the first " + std::to_string(keys[0]));
    std::vector<played_runs> played;
    for (const variant& v : known_variants()) played.push_back(variant_runs(v, keys));
    const run_list right = reference_runs(keys);
    for (std::size_t v = 0; v < played.size(); ++v) {
      if (played[v].never_finishes || played[v].runs == right || !read_as_written(played[v].runs))
        continue;
      SCOPED_TRACE(std::string(known_variants()[v].name));
      const diagnosed d =
          diagnose("recognition", test_case_file_of({keys}), listing_of({played[v].runs}));
      ASSERT_EQ(1U, d.reports.size());
      // Runs that differ can pass, where runcheck does not compare (keys
      // after the expected run's last): nothing then is named.
      if (d.reports[0].passed) {
        EXPECT_FALSE(d.reports[0].variant);
        continue;
      }
      ASSERT_TRUE(d.reports[0].variant);
      const std::vector<std::string_view> want = writers(played, played[v].runs);
      EXPECT_EQ(want, d.reports[0].variant->alternatives);
      EXPECT_EQ(want[0], d.reports[0].variant->name);
      EXPECT_EQ(describe(recognise(keys,
                                   [&] {
                                     laid_runs lines;
                                     for (const auto& run : played[v].runs) {
                                       lines.keys.insert(lines.keys.end(), run.begin(), run.end());
                                       lines.ends.push_back(lines.keys.size());
                                     }
                                     return lines;
                                   }())),
                d.reports[0].variant->description);
      ++named;
    }
  }
  EXPECT_GT(named, 500);
}

// The whole file is named by the programs that write every failing test
// case's runs: here those of the program that wrote it and of any other
// that writes the same for every test case.
TEST(recognition, the_file_named_by_the_programs_of_every_failing_test_case) {
  const std::vector<key_list> lists = probes(5, 40);
  for (std::size_t v = 0; v < known_variants().size(); ++v) {
    const variant& program = known_variants()[v];
    SCOPED_TRACE(std::string(program.name));
    std::vector<key_list> file;
    std::vector<run_list> written;
    std::vector<std::vector<std::string_view>> names;
    for (const key_list& keys : lists) {
      std::vector<played_runs> played;
      for (const variant& u : known_variants()) played.push_back(variant_runs(u, keys));
      if (played[v].never_finishes || played[v].runs == reference_runs(keys) ||
          !read_as_written(played[v].runs))
        continue;
      names.push_back(writers(played, played[v].runs));
      file.push_back(keys);
      written.push_back(played[v].runs);
      if (file.size() == 6) break;
    }
    if (file.empty()) continue;
    const diagnosed d = diagnose("recognition_file", test_case_file_of(file), listing_of(written));
    ASSERT_EQ(file.size(), d.reports.size());
    std::optional<std::vector<std::string_view>> want;
    for (std::size_t t = 0; t < file.size(); ++t) {
      if (d.reports[t].passed) continue;
      if (!want) want = names[t];
      std::erase_if(*want, [&](std::string_view n) {
        return std::find(names[t].begin(), names[t].end(), n) == names[t].end();
      });
    }
    if (!want || want->empty()) {
      EXPECT_FALSE(d.summary.variant);
      continue;
    }
    ASSERT_TRUE(d.summary.variant);
    EXPECT_EQ(*want, d.summary.variant->alternatives);
  }
}

TEST(recognition, match_of_a_set) {
  const auto set_of = [](std::initializer_list<std::string_view> names) {
    variant_set set = 0;
    for (const variant& v : known_variants()) {
      if (std::find(names.begin(), names.end(), v.name) != names.end()) set |= bit_of(v);
    }
    return set;
  };
  const variant_match m = match_of(set_of({"buffer_3", "buffer_4", "natural_runs"}));
  EXPECT_EQ("natural_runs", m.name);
  EXPECT_EQ((std::vector<std::string_view>{"natural_runs", "buffer_4", "buffer_3"}),
            m.alternatives);
  EXPECT_EQ(
      "a program that begins a new run whenever the next key read is smaller; a program with a "
      "buffer of 3 or 4 records writes the same",
      m.description);
}

}  // namespace
}  // namespace runcheck::explain
