#include "input/test_case.h"

namespace runcheck {

test_case read_test_case(text_reader& file, key_line& line) {
  test_case result;
  result.num_keys = scan_count(file, &result.count_offset);
  if (result.num_keys < 1) return result;
  result.key_line_offset = file.offset();
  scan_key_line(file, line);
  result.numbers_read = static_cast<std::int32_t>(line.count);
  if (result.numbers_read >= result.num_keys) {
    result.keys = line.view().first(static_cast<std::size_t>(result.num_keys));
  }
  return result;
}

}  // namespace runcheck
