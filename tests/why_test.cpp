// The why of a wrong run: the step it names and the buffer it shows are
// those of --trace's row for that step, on random test cases; and where the
// key found stands, copies of equal keys counted.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "diagnosed.h"
#include "explain/authoring/trace.h"
#include "explain/diagnosis/explanation.h"

namespace runcheck::explain {
namespace {

// The buffer as the trace's cells show it: "15*", "-", "30".
std::vector<std::string> cells_of(const explanation& e) {
  std::vector<std::string> cells;
  for (const explanation::slot& s : e.slots) {
    if (s.what == explanation::slot::state::empty) {
      cells.emplace_back("-");
    } else {
      cells.push_back(std::to_string(s.key) +
                      (s.what == explanation::slot::state::frozen ? "*" : ""));
    }
  }
  return cells;
}

// The cells of the trace's row for `step`, as many as `slots`; empty where
// there is no such row.
std::vector<std::string> trace_row(const std::string& trace, int step, std::size_t slots) {
  std::istringstream lines(trace);
  bool table = false;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream cells(line);
    std::string first;
    cells >> first;
    if (first == "step") table = true;
    if (!table || first != std::to_string(step)) continue;
    std::vector<std::string> row(slots);
    for (std::string& cell : row) cells >> cell;
    return row;
  }
  return {};
}

std::vector<std::int32_t> random_keys(std::mt19937& random) {
  const int shape = std::uniform_int_distribution<int>(0, 3)(random);
  const std::size_t n = std::uniform_int_distribution<std::size_t>(1, 600)(random);
  std::vector<std::int32_t> keys(n);
  for (std::size_t i = 0; i < n; ++i) {
    switch (shape) {
      case 0:  // random
        keys[i] = std::uniform_int_distribution<std::int32_t>(-1, 32767)(random);
        break;
      case 1:  // many equal keys
        keys[i] = std::uniform_int_distribution<std::int32_t>(1, 4)(random);
        break;
      case 2:  // descending
        keys[i] = static_cast<std::int32_t>(n - i);
        break;
      default:  // at the edges
        keys[i] = std::uniform_int_distribution<int>(0, 1)(random) == 0 ? -1 : 32767;
        break;
    }
  }
  // A key line the check reads whole: at most 1999 characters.
  std::size_t length = 0;
  std::size_t fit = 0;
  while (fit < keys.size() && length + std::to_string(keys[fit]).size() + 1 < 2000)
    length += std::to_string(keys[fit++]).size() + 1;
  keys.resize(fit);
  return keys;
}

TEST(why, names_the_step_and_buffer_of_the_trace_row) {
  std::mt19937 random(25);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same files every run
  int explained = 0;
  for (int round = 0; round < 60; ++round) {
    const std::vector<std::int32_t> keys = random_keys(random);
    const run_list runs = reference_runs(keys);
    // A wrong key or a line cut short, at a random key of a random run.
    run_list written = runs;
    std::size_t r = std::uniform_int_distribution<std::size_t>(0, runs.size() - 1)(random);
    while (written[r].empty()) r = (r + 1) % written.size();
    auto& run = written[r];
    const std::size_t p = std::uniform_int_distribution<std::size_t>(0, run.size() - 1)(random);
    if (std::uniform_int_distribution<int>(0, 3)(random) == 0) {
      run.resize(p);
    } else {
      const std::int32_t other =
          keys[std::uniform_int_distribution<std::size_t>(0, keys.size() - 1)(random)];
      run[p] = other != run[p] ? other : run[p] + 1;
    }
    const diagnosed d = diagnose("why_trace", test_case_file_of({keys}), listing_of({written}));
    ASSERT_EQ(1U, d.reports.size());
    const test_case_report& report = d.reports[0];
    SCOPED_TRACE("round " + std::to_string(round) + ", run " + std::to_string(r) + ", key " +
                 std::to_string(p));
    ASSERT_FALSE(report.runs.empty());
    if (!report.why) {
      // A line wrong in form (blank, or the start of its run whose rest the
      // next line holds) has a hint instead.
      EXPECT_FALSE(report.runs[0].hints.empty());
      continue;
    }
    ++explained;
    const explanation& e = *report.why;
    EXPECT_EQ(static_cast<std::int64_t>(r), e.run);
    output trace;
    output err;
    ASSERT_EQ(0, print_trace(d.test_case_file, 1, trace, err));
    EXPECT_EQ(cells_of(e), trace_row(trace.text(), e.step, e.slots.size()))
        << "before step " << e.step;
  }
  EXPECT_GE(explained, 40);
}

// Where the key found stands, its copies among the keys counted: the copies
// the runs before the position hold were written, and the next one is placed.
TEST(why, places_the_next_copy_of_an_equal_key) {
  using place = explanation::place;
  struct row {
    const char* name;
    std::vector<std::int32_t> keys;
    std::int64_t run, position;
    std::int32_t found;
    place want;
    std::int32_t copies, written;
    std::int64_t found_run;  // where written > 0
  };
  const std::vector<std::int32_t> tens = {10, 20, 30, 40, 50, 60, 10, 70, 10};
  const row rows[] = {
      {"the second of two not read yet",
       {74, 50, 6, 28, 5, 71, 17, 37, 53, 18, 69, 15, 73, 39, 71, 87},
       0,
       9,
       71,
       place::to_be_read,
       2,
       1,
       0},
      {"the second of three not read yet", tens, 0, 1, 10, place::to_be_read, 3, 1, 0},
      {"the second of three frozen", tens, 0, 4, 10, place::frozen, 3, 1, 0},
      {"the one copy, written to the run before", tens, 1, 1, 70, place::written, 1, 1, 0},
      {"both written", {3, 3, 1, 9}, 0, 3, 3, place::written, 2, 2, 0},
      {"the first of two in the buffer", {3, 3, 1}, 0, 0, 3, place::in_buffer, 2, 0, 0},
      {"not a key", {3, 3, 1}, 0, 1, 4, place::not_a_key, 0, 0, 0},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    explanation e;
    ASSERT_TRUE(explain_position(r.keys, r.run, r.position, r.found, e));
    EXPECT_EQ(r.want, e.found_at);
    EXPECT_EQ(r.copies, e.found_copies);
    EXPECT_EQ(r.written, e.found_written);
    if (r.written > 0) {
      EXPECT_EQ(r.found_run, e.found_run);
    }
  }
}

// On random keys, the copies written are those the runs before the
// position hold, counted from the runs themselves.
TEST(why, counts_the_copies_the_runs_before_hold) {
  std::mt19937 random(5);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same keys every run
  for (int round = 0; round < 300; ++round) {
    std::vector<std::int32_t> keys(std::uniform_int_distribution<std::size_t>(1, 40)(random));
    for (std::int32_t& k : keys) k = std::uniform_int_distribution<std::int32_t>(1, 6)(random);
    const run_list runs = reference_runs(keys);
    const std::size_t r = std::uniform_int_distribution<std::size_t>(0, runs.size() - 1)(random);
    if (runs[r].empty()) continue;
    const std::size_t p = std::uniform_int_distribution<std::size_t>(0, runs[r].size() - 1)(random);
    const std::int32_t found = std::uniform_int_distribution<std::int32_t>(0, 7)(random);
    if (found == runs[r][p]) continue;
    SCOPED_TRACE("round " + std::to_string(round));
    explanation e;
    ASSERT_TRUE(explain_position(keys, static_cast<std::int64_t>(r), static_cast<std::int64_t>(p),
                                 found, e));
    std::int32_t written = 0;
    std::int64_t last_run = -1;
    for (std::size_t i = 0; i <= r; ++i) {
      const std::size_t end = i < r ? runs[i].size() : p;
      for (std::size_t j = 0; j < end; ++j) {
        if (runs[i][j] != found) continue;
        ++written;
        last_run = static_cast<std::int64_t>(i);
      }
    }
    EXPECT_EQ(std::count(keys.begin(), keys.end(), found), e.found_copies);
    EXPECT_EQ(written, e.found_written);
    if (written > 0) {
      EXPECT_EQ(last_run, e.found_run);
    }
    EXPECT_EQ(e.found_copies == 0, e.found_at == explanation::place::not_a_key);
    EXPECT_EQ(e.found_copies > 0 && written == e.found_copies,
              e.found_at == explanation::place::written);
  }
}

}  // namespace
}  // namespace runcheck::explain
