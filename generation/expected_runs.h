// The phase both programs run before checking: read the test-case file and
// generate every test case's runs, in file order, into a run table. Where the
// file cannot be used, the phase stops and says why as a value; each program
// words the stop itself.
#pragma once

#include <cstdint>
#include <optional>

#include "generation/run_generator.h"
#include "input/reading.h"
#include "input/test_case.h"
#include "runs/run_table.h"

namespace runcheck {

// Why the phase stopped before every test case was generated.
struct stop {
  enum class reason {
    test_case_file_not_opened,
    negative_num_test_cases,
    out_of_memory,  // no room for the runs of this test case
    num_keys_less_than_1,
    short_key_line,  // the key line gives fewer numbers than num_keys
  };
  reason why = reason::test_case_file_not_opened;
  std::int32_t test_case = 0;     // from 0: the test case that stopped it
  std::int32_t count = 0;         // the count read: num_test_cases, or num_keys
  std::int32_t numbers_read = 0;  // short_key_line: the numbers the key line gave
  // Offset in the test-case file where the reason applies (the count's first
  // non-blank character, or the key line's read); -1 where none does.
  std::int64_t offset = -1;
};

// Sees each test case as soon as its runs are generated.
class generation_observer {
 public:
  // `runs` holds the test case's runs until the next test case is read.
  virtual void test_case_generated(const test_case& tc, const run_set& runs,
                                   const generation_result& result) = 0;

 protected:
  generation_observer() = default;
  generation_observer(const generation_observer&) = default;
  generation_observer& operator=(const generation_observer&) = default;
  ~generation_observer() = default;
};

// Whether the run table keeps every test case's runs, or forgets each test
// case once the observer has seen it, so memory stays that of one test case.
enum class runs_kept { all, none };

// Reads `test_case_file` and generates the runs of every test case. Gives
// the run table (empty with runs_kept::none), or nothing with `why` set.
// `line` is the caller's line buffer; `observer`, when given, sees every
// test case generated.
std::optional<run_table> generate_expected_runs(const char* test_case_file, key_line& line,
                                                generation_observer* observer, stop& why,
                                                runs_kept keep = runs_kept::all);

// The same on a test-case file already open, or held in memory.
std::optional<run_table> generate_expected_runs(text_reader& input, key_line& line,
                                                generation_observer* observer, stop& why,
                                                runs_kept keep = runs_kept::all);

}  // namespace runcheck
