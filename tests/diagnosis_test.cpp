// The diagnosis of whole run files, on random test cases: which test cases
// are read in step, which get a why, and the independent score beside
// runcheck's count. Each property is checked on files made from the right
// runs with one slip, and on the runs of every faulty program of the
// catalogue.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "diagnosed.h"
#include "explain/diagnosis/variants.h"

namespace runcheck::explain {
namespace {

// Random keys of the kinds test-case files hold.
std::vector<std::int32_t> random_keys(std::mt19937& random) {
  std::uniform_int_distribution<int> kind(0, 4);
  std::uniform_int_distribution<std::size_t> size(1, 60);
  std::vector<std::int32_t> keys(size(random));
  const int k = kind(random);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    switch (k) {
      case 0:
        keys[i] = std::uniform_int_distribution<std::int32_t>(0, 999)(random);
        break;
      case 1:  // many equal keys
        keys[i] = std::uniform_int_distribution<std::int32_t>(1, 3)(random);
        break;
      case 2:  // descending
        keys[i] = static_cast<std::int32_t>(keys.size() - i) * 3;
        break;
      case 3:  // at the edges of the range
        keys[i] = std::uniform_int_distribution<int>(0, 1)(random) == 0 ? -1 : 32767;
        break;
      default:
        keys[i] = std::uniform_int_distribution<std::int32_t>(-1, 40)(random);
        break;
    }
  }
  return keys;
}

std::string run_line(const std::vector<std::int32_t>& run) {
  std::string line;
  for (const std::int32_t k : run) {
    if (!line.empty()) line += ' ';
    line += std::to_string(k);
  }
  return line;
}

// A test case's lines as the listing writes `runs`, each ending with a line
// feed.
std::vector<std::string> listing_lines(const run_list& runs) {
  std::vector<std::string> lines = {std::to_string(runs.size())};
  for (const auto& run : runs) lines.push_back(run_line(run));
  return lines;
}

// The slips a hand makes in one test case's lines.
enum class slip {
  count_too_small,     // the count one too small, every run written
  count_too_large,     // the count one too large
  blank_line,          // a blank line after the first run
  word_after_count,    // "3 runs"
  run_over_two_lines,  // the first run with two keys or more, split
  line_in_pieces,      // the first run line padded past 1999 characters
  one_key_a_line,      // every key on a line of its own
  extra_line,          // the last run line written twice
  missing_line,        // the last run line left out, the count unchanged
  count_and_run,       // the count and the first run on one line
  two_runs_on_a_line,  // the first two runs on one line, the count unchanged
};
constexpr slip all_slips[] = {
    slip::count_too_small,  slip::count_too_large,    slip::blank_line,
    slip::word_after_count, slip::run_over_two_lines, slip::line_in_pieces,
    slip::one_key_a_line,   slip::extra_line,         slip::missing_line,
    slip::count_and_run,    slip::two_runs_on_a_line};

// `runs`' lines with `s`; nothing where the runs leave no room for it.
std::optional<std::vector<std::string>> with_slip(const run_list& runs, slip s) {
  std::vector<std::string> lines = listing_lines(runs);
  const std::size_t r = runs.size();
  switch (s) {
    case slip::count_too_small:
      if (r < 2) return std::nullopt;
      lines[0] = std::to_string(r - 1);
      break;
    case slip::count_too_large:
      lines[0] = std::to_string(r + 1);
      break;
    case slip::blank_line:
      if (r < 2 || runs[1].empty()) return std::nullopt;
      lines.insert(lines.begin() + 2, "");
      break;
    case slip::word_after_count:
      lines[0] += " runs";
      break;
    case slip::run_over_two_lines: {
      if (runs[0].size() < 2) return std::nullopt;
      const std::size_t half = runs[0].size() / 2;
      lines[1] = run_line({runs[0].begin(), runs[0].begin() + static_cast<std::ptrdiff_t>(half)});
      lines.insert(lines.begin() + 2,
                   run_line({runs[0].begin() + static_cast<std::ptrdiff_t>(half), runs[0].end()}));
      break;
    }
    case slip::line_in_pieces:
      if (runs[0].empty()) return std::nullopt;
      lines[1] += std::string(2000, ' ');
      break;
    case slip::one_key_a_line: {
      std::vector<std::string> one = {lines[0]};
      for (const auto& run : runs) {
        if (run.empty()) return std::nullopt;
        for (const std::int32_t k : run) one.push_back(std::to_string(k));
      }
      lines = one;
      break;
    }
    case slip::extra_line:
      lines.push_back(lines.back());
      break;
    case slip::missing_line:
      if (r < 2) return std::nullopt;
      lines.pop_back();
      break;
    case slip::count_and_run:
      if (runs[0].empty()) return std::nullopt;
      lines[0] += " " + lines[1];
      lines.erase(lines.begin() + 1);
      break;
    case slip::two_runs_on_a_line:
      if (r < 2 || runs[0].empty() || runs[1].empty()) return std::nullopt;
      lines[1] += " " + lines[2];
      lines.erase(lines.begin() + 2);
      break;
  }
  return lines;
}

// Random test-case files, each with their expected runs.
struct test_case_file {
  std::vector<std::vector<std::int32_t>> keys;
  std::vector<run_list> runs;  // the right program's
  std::string text;
};

test_case_file random_file(std::mt19937& random) {
  test_case_file file;
  const int n = std::uniform_int_distribution<int>(2, 6)(random);
  file.text = std::to_string(n) + "\n";
  for (int t = 0; t < n; ++t) {
    file.keys.push_back(random_keys(random));
    file.runs.push_back(reference_runs(file.keys.back()));
    file.text += std::to_string(file.keys.back().size()) + "\n" + run_line(file.keys.back()) + "\n";
  }
  return file;
}

std::string text_of(const std::vector<std::vector<std::string>>& test_cases) {
  std::string text;
  for (const auto& lines : test_cases) {
    for (const std::string& line : lines) text += line + "\n";
  }
  return text;
}

// Never below runcheck's count, and equal to it where no test case is read
// out of step.
void expect_score_founded_on_the_check(const diagnosed& kept) {
  const file_summary& s = kept.summary;
  EXPECT_GE(s.passed_independently, s.passed);
  bool all_in_step = true;
  for (const test_case_report& r : kept.reports) {
    all_in_step = all_in_step && r.step == step_state::in_step;
    EXPECT_TRUE(r.passed_independently || !r.passed);
    if (r.step == step_state::in_step) {
      EXPECT_EQ(r.passed, r.passed_independently);
    } else {
      EXPECT_FALSE(r.why.has_value());  // an echo is not explained
    }
  }
  if (all_in_step) {
    EXPECT_EQ(s.passed, s.passed_independently);
  }
}

// A file made from the right runs with one slip in one test case: no other
// test case gets a why, and the score holds to the check.
TEST(diagnosis, one_slip_explains_no_other_test_case) {
  std::mt19937 random(25);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same files every run
  int tried = 0;
  for (int i = 0; i < 60; ++i) {
    const test_case_file file = random_file(random);
    const auto slipped =
        std::uniform_int_distribution<std::size_t>(0, file.runs.size() - 1)(random);
    for (const slip s : all_slips) {
      std::vector<std::vector<std::string>> lines;
      lines.reserve(file.runs.size());
      for (const run_list& runs : file.runs) lines.push_back(listing_lines(runs));
      const auto changed = with_slip(file.runs[slipped], s);
      if (!changed) continue;
      lines[slipped] = *changed;
      SCOPED_TRACE("file " + std::to_string(i) + ", slip " + std::to_string(static_cast<int>(s)) +
                   " in test case " + std::to_string(slipped + 1) + "\n" + file.text + "--\n" +
                   text_of(lines));
      const diagnosed kept = diagnose("diagnosis_slip", file.text, text_of(lines));
      ASSERT_EQ(file.runs.size(), kept.reports.size());
      for (std::size_t t = 0; t < kept.reports.size(); ++t) {
        if (t != slipped) {
          EXPECT_FALSE(kept.reports[t].why.has_value()) << "test case " << t + 1;
        }
      }
      expect_score_founded_on_the_check(kept);
      ++tried;
    }
  }
  EXPECT_GT(tried, 300);
}

// A faulty program writes its own count and its runs, one a line: each test
// case is read in step, and the score is runcheck's count. With a slip in
// one test case besides, the score still holds to the check.
TEST(diagnosis, faulty_programs_files_are_read_in_step) {
  std::mt19937 random(26);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same files every run
  for (int i = 0; i < 12; ++i) {
    const test_case_file file = random_file(random);
    for (const variant& v : known_variants()) {
      std::vector<run_list> runs;
      bool empty_run = false;
      bool writes_a_file = true;
      for (const auto& keys : file.keys) {
        played_runs played = variant_runs(v, keys);
        writes_a_file = writes_a_file && !played.never_finishes;
        runs.push_back(std::move(played.runs));
        for (const auto& run : runs.back()) empty_run = empty_run || run.empty();
      }
      if (!writes_a_file) continue;
      std::vector<std::vector<std::string>> lines;
      lines.reserve(runs.size());
      for (const run_list& r : runs) lines.push_back(listing_lines(r));
      SCOPED_TRACE(std::string(v.name) + "\n" + file.text + "--\n" + text_of(lines));
      const diagnosed kept = diagnose("diagnosis_faulty", file.text, text_of(lines));
      // An empty run's blank line is skipped where a count read meets it:
      // such a file goes out of step in runcheck's own reading.
      if (!empty_run) {
        for (const test_case_report& r : kept.reports) EXPECT_EQ(step_state::in_step, r.step);
      }
      expect_score_founded_on_the_check(kept);
      const slip s = all_slips[static_cast<std::size_t>(i) % std::size(all_slips)];
      if (const auto changed = with_slip(runs[0], s)) {
        lines[0] = *changed;
        expect_score_founded_on_the_check(diagnose("diagnosis_faulty", file.text, text_of(lines)));
      }
    }
  }
}

}  // namespace
}  // namespace runcheck::explain
