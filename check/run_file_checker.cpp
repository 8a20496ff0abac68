#include "check/run_file_checker.h"

#include <algorithm>

namespace runcheck {

namespace {

// Compares one run line with the expected keys; gives the first position
// that differs or that the line does not fill, or -1 when all match.
std::int64_t first_difference(std::span<const std::int16_t> expected,
                              std::span<const std::int32_t> got) {
  const std::size_t common = std::min(expected.size(), got.size());
  const auto mismatch = std::mismatch(
      expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(common), got.begin());
  const auto p = static_cast<std::int64_t>(mismatch.first - expected.begin());
  if (p < static_cast<std::int64_t>(common)) return p;
  return expected.size() > got.size() ? static_cast<std::int64_t>(got.size()) : -1;
}

bool check_test_case(text_reader& file, const run_set& expected, std::int32_t t, key_line& line,
                     output& out) {
  bool pass = true;
  out.put("Testing test case ").put_int(std::int64_t{t} + 1).put(".........\n");
  const std::int32_t num_runs = scan_count(file);
  if (num_runs != expected.run_count) {
    out.put("The number of runs in test case ").put_int(std::int64_t{t} + 1).put(" is wrong.\n");
    pass = false;
  }
  for (std::int64_t r = 0; r < num_runs; ++r) {
    if (r >= expected.run_count && file.at_end()) break;
    scan_key_line(file, line);
    if (first_difference(run_keys(expected, r + 1), line.view()) >= 0) {
      out.put("run ").put_int(r).put(" is wrong\n");
      pass = false;
    }
  }
  out.put(pass ? "....PASSED\n" : "....FAILED\n");
  return pass;
}

}  // namespace

check_result check_run_file(text_reader& file, const run_table& table, key_line& line,
                            output& out) {
  check_result result;
  for (std::int32_t t = 0; t < table.size(); ++t) {
    if (check_test_case(file, table[t], t, line, out)) ++result.passed;
  }
  result.all_passed = (result.passed == table.size());
  out.put("================================================\n");
  out.put(result.all_passed ? "Your File PASS the TEST\n" : "Your File CANNOT PASS the TEST\n");
  return result;
}

}  // namespace runcheck
