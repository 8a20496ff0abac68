// read_test_case: one test case of the test-case file, a count line
// (num_keys) followed by a key line.
#pragma once

#include <cstdint>
#include <span>

#include "input/reading.h"
#include "input/text_reader.h"

namespace runcheck {

// The test-case file that both programs read when no other is named.
inline constexpr const char* default_test_case_file = "replacement_input.txt";

struct test_case {
  std::int32_t num_keys = 0;
  // How many numbers the key line gave; 0 when num_keys < 1, since the key
  // line is then not read.
  std::int32_t numbers_read = 0;
  // The key list: the first num_keys numbers of the key line, in order.
  // Empty unless 1 <= num_keys <= numbers_read. It points into `line`.
  std::span<const std::int32_t> keys;
  // Where num_keys and the key line were read: offsets in the file of the
  // count's first non-blank character and of the key line's read.
  std::int64_t count_offset = 0;
  std::int64_t key_line_offset = 0;
};

// Reads num_keys with the count read and, when it is at least 1, the key line
// with the key-line read into `line`. The caller refuses the test case when
// num_keys < 1 or numbers_read < num_keys; the key list never holds a key
// that is not in the file.
test_case read_test_case(text_reader& file, key_line& line);

}  // namespace runcheck
