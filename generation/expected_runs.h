// The phase before checking, shared by runcheck and runcheck-explain: read
// the test-case file and generate every test case's runs. Also the reasons
// either program stops before it can check, worded as runcheck prints them.
#pragma once

#include <cstdint>
#include <optional>

#include "driver/program.h"
#include "input/reading.h"
#include "runs/output.h"
#include "runs/run_table.h"

namespace runcheck {

struct stop {
  enum class reason {
    test_case_file_not_opened,
    negative_num_test_cases,
    out_of_memory,         // no room for the runs of this test case
    num_keys_less_than_1,  // no line break ends this message
    short_key_line,
    run_file_not_opened,
  };
  reason why = reason::test_case_file_not_opened;
  std::int32_t test_case = 0;     // from 0; where num_keys or the key line is wrong
  std::int32_t count = 0;         // num_keys (short_key_line, out_of_memory)
  std::int32_t numbers_read = 0;  // short_key_line: the numbers the key line gave
  // Offset in the test-case file where the reason applies (the count's first
  // non-blank character, or the key line's read); -1 where none does.
  std::int64_t offset = -1;
};

// Prints the stop's message as runcheck does, with its line break if it has one.
void put_stop_message(output& out, const stop& s, const program_files& files);

// Reads the test-case file and generates the runs of every test case, in
// file order. When `progress` is given, each test case's generation messages
// go there as it is generated. Gives the run table, or nothing with `why`
// set. `line` is the caller's line buffer.
std::optional<run_table> generate_expected_runs(const char* test_case_file, key_line& line,
                                                output* progress, stop& why);

}  // namespace runcheck
