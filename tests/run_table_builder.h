// Test helper: a run table holding given runs, one list of runs per test case.
#pragma once

#include <cstdint>
#include <vector>

#include "runs/run_table.h"

namespace runcheck::testing {

using run_list = std::vector<std::vector<std::int32_t>>;

inline run_table table_of(const std::vector<run_list>& test_cases) {
  run_table table = *allocate_run_table(static_cast<std::int32_t>(test_cases.size()));
  for (std::size_t t = 0; t < test_cases.size(); ++t) {
    run_set& set = table[static_cast<std::int32_t>(t)];
    for (const auto& run : test_cases[t]) {
      start_run(set);
      for (const std::int32_t k : run) append_key(set, k);
    }
  }
  return table;
}

}  // namespace runcheck::testing
