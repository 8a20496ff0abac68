// Test helper: a run table holding given runs, one list of runs per test case.
#pragma once

#include <cstdint>
#include <vector>

#include "runs/run_table.h"

namespace runcheck::testing {

using run_list = std::vector<std::vector<std::int32_t>>;

inline run_table table_of(const std::vector<run_list>& test_cases) {
  run_table table;
  for (const run_list& runs : test_cases) {
    run_set set = *table.open_test_case();
    for (const auto& run : runs) {
      start_run(set);
      for (const std::int32_t k : run) append_key(set, k);
    }
    table.close_test_case(set);
  }
  return table;
}

}  // namespace runcheck::testing
