// The phase both programs run before checking: read the test-case file and
// generate every test case's runs, in file order, into a run table. Where the
// file cannot be used, the phase stops and says why as a value; each program
// words the stop itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "generation/run_generator.h"
#include "input/reading.h"
#include "input/test_case.h"
#include "input/text_reader.h"
#include "platform/platform.h"
#include "runs/run_table.h"

namespace runcheck {

// Why the phase stopped before every test case was generated.
struct stop {
  enum class reason {
    test_case_file_not_opened,
    num_test_cases_unreadable,  // no number stands where the file's first count is due
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
  // non-blank character, or the key line's read; the file's size when the
  // count read met its end); -1 where none does.
  std::int64_t offset = -1;
  // test_case_file_not_opened: why.
  platform::open_failure failure = platform::open_failure::none;
};

// What a stop says, in the words both programs print, without a line break:
// "num_keys is less than 1 at test case 2.", and so on (test cases counted
// from 1); for a test-case file that did not open, why, as
// not_opened_words() says it of `test_case_file`.
std::string stop_words(const stop& why, std::string_view test_case_file);

// The test-case file read front to back, one test case at a time, with the
// stops of the phase: the one reading of that file, for the phase and for
// any later reader that needs a test case's keys again.
class test_case_source {
 public:
  // Opens `path` and reads num_test_cases. Gives nothing, with `why` set,
  // when the file cannot be opened or that count cannot be used.
  static std::optional<test_case_source> open(const char* path, stop& why);

  // The same on a test-case file already open, or held in memory
  // (read_text()).
  static std::optional<test_case_source> start(text_reader file, stop& why);

  std::int32_t num_test_cases() const { return num_test_cases_; }
  std::int32_t read_so_far() const { return read_so_far_; }  // test cases read

  // Reads the next test case, its key list into `line`. Gives nothing, with
  // `why` set, when it cannot be generated (num_keys below 1, a short key
  // line). Precondition: read_so_far() < num_test_cases().
  std::optional<test_case> next(key_line& line, stop& why);

  // After the last test case: the offset of the first character that is not
  // white space, where the file holds more; -1 when nothing but white space
  // is left. Reads to it.
  std::int64_t text_after();

 private:
  test_case_source(text_reader file, std::int32_t num_test_cases)
      : file_(std::move(file)), num_test_cases_(num_test_cases) {}

  text_reader file_;
  std::int32_t num_test_cases_ = 0;
  std::int32_t read_so_far_ = 0;
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

struct expected_runs {
  run_table table;  // empty with runs_kept::none
  // Where text stands after the last test case, which nothing reads; -1
  // when only white space follows it.
  std::int64_t text_after = -1;
};

// Reads `test_case_file` and generates the runs of every test case. Gives
// them, or nothing with `why` set. `line` is the caller's line buffer;
// `observer`, when given, sees every test case generated.
std::optional<expected_runs> generate_expected_runs(const char* test_case_file, key_line& line,
                                                    generation_observer* observer, stop& why,
                                                    runs_kept keep = runs_kept::all);

// The same on a test-case file already open, or held in memory.
std::optional<expected_runs> generate_expected_runs(text_reader input, key_line& line,
                                                    generation_observer* observer, stop& why,
                                                    runs_kept keep = runs_kept::all);

}  // namespace runcheck
