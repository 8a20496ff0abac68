// What the test-case file holds that will surprise its author, noted while
// the expected runs are generated, once for every run file checked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "generation/expected_runs.h"

namespace runcheck::explain {

// The test cases concerned, in order, and text after the last test case.
struct test_case_file_notes {
  struct flagged {
    std::int32_t test_case = 0;
    bool keys_out_of_range = false;  // keys outside -1..32767, which reach no run
    bool budget_spent = false;       // its generation ended at the 500th pass
  };
  std::vector<flagged> test_cases;
  std::int64_t text_after_line = 0;  // the line of text after the last test case; 0 none
};

// Collects the notes while the expected runs are generated.
class test_case_file_watcher final : public generation_observer {
 public:
  void test_case_generated(const test_case& tc, const run_set& runs,
                           const generation_result& result) override;

  // The notes, once the phase is done; `expected.text_after` is located in
  // `test_case_file`.
  test_case_file_notes finish(const std::string& test_case_file, const expected_runs& expected);

 private:
  test_case_file_notes notes_;
  std::int32_t generated_ = 0;
};

}  // namespace runcheck::explain
