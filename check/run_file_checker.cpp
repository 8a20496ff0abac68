#include "check/run_file_checker.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "runs/listing.h"

namespace runcheck {

namespace {

// Compares one run line with the expected keys; gives the first position
// that differs or that the line does not fill, or -1 when all match.
std::int64_t first_difference(std::span<const stored_key> expected,
                              std::span<const std::int32_t> got) {
  const std::size_t common = std::min(expected.size(), got.size());
  // Runs mostly match, so eight positions are compared at a time without a
  // branch between them (the compiler can do the eight at once); the
  // position itself is looked for only in a group that differs.
  constexpr std::size_t group = 8;
  std::size_t p = 0;
  for (; p + group <= common; p += group) {
    std::int32_t differs = 0;
    for (std::size_t i = p; i < p + group; ++i) differs |= expected[i] ^ got[i];
    if (differs != 0) break;
  }
  for (; p < common; ++p) {
    if (expected[p] != got[p]) return static_cast<std::int64_t>(p);
  }
  return expected.size() > got.size() ? static_cast<std::int64_t>(got.size()) : -1;
}

// Consumes the next line when its bytes are exactly the run line the listing
// prints for `keys`, which a correct run file mostly holds. A key-line read
// of those bytes would give exactly `keys` and stop after the same line
// break, so the line passes without being read number by number. Lines the
// read would cut (1999 characters or more) and lines that cross the end of
// the reader's block are left to the key-line read.
bool consume_listing_line(text_reader& file, std::span<const stored_key> keys, char* text) {
  const auto length = static_cast<std::size_t>(format_run_line(keys, text) - text);
  if (length > read_str_size - 1) return false;
  const std::string_view block = file.buffered();
  if (block.size() < length || std::memcmp(block.data(), text, length) != 0) return false;
  file.consume(length);
  return true;
}

}  // namespace

bool check_test_case(text_reader& file, const run_set& expected, std::int32_t t, key_line& line,
                     check_observer& observer) {
  count_report count{.test_case = t, .expected = expected.run_count};
  count.found = scan_count(file, &count.offset);
  count.end_offset = file.offset();
  observer.count_read(count);
  bool pass = count.found == count.expected;
  char text[run_line_room];
  std::int64_t r = 0;
  for (; r < count.found; ++r) {
    if (r >= expected.run_count && file.at_end()) break;
    const auto keys = run_keys(expected, r + 1);
    if (r < expected.run_count && consume_listing_line(file, keys, text)) continue;
    const std::int64_t offset = file.offset();
    scan_key_line(file, line);
    observer.run_line_read({.test_case = t, .run = r, .offset = offset, .line = &line});
    const std::int64_t p = first_difference(keys, line.view());
    if (p >= 0) {
      const auto at = static_cast<std::size_t>(p);
      run_report run{
          .test_case = t, .run = r, .offset = offset, .position = p, .expected = keys[at]};
      if (at < line.count) run.found = line.numbers[at];
      observer.wrong_run(run);
      pass = false;
    }
  }
  observer.test_case_checked({.test_case = t, .passed = pass, .run_lines = r});
  return pass;
}

check_result check_run_file(text_reader& file, const run_table& table, key_line& line,
                            check_observer& observer) {
  check_result result;
  for (std::int32_t t = 0; t < table.size(); ++t) {
    if (check_test_case(file, table[t], t, line, observer)) ++result.passed;
  }
  result.all_passed = (result.passed == table.size());
  return result;
}

}  // namespace runcheck
