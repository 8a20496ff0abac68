// The why of a wrong run: the step it names and the buffer it shows are
// those of --trace's row for that step, on random test cases; and where the
// key found stands, copies of equal keys counted.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace runcheck::explain
