#include "explain/diagnosis/slips.h"

#include <algorithm>
#include <optional>

namespace runcheck::explain {

namespace {

// Run line `line_run` as read holds exactly the expected run `run` (both
// from 0); false where the line is not kept.
bool holds_run(const test_case_lines& lines, std::int64_t line_run, std::int64_t run,
               std::vector<std::int32_t>& scratch) {
  scratch.clear();
  if (!lines.append_numbers(line_run, scratch)) return false;
  const auto keys = run_keys(lines.expected(), static_cast<std::int32_t>(run + 1));
  return std::equal(scratch.begin(), scratch.end(), keys.begin(), keys.end());
}

// The line where run line `run` stands, where it is located; else 0.
std::int64_t line_of_run(const test_case_lines& lines, std::int64_t run) {
  const line_read* l = lines.line_of(run);
  return l != nullptr ? l->line : 0;
}

std::optional<hint> missing_run(const test_case_lines& lines, std::int64_t found,
                                std::vector<std::int32_t>& scratch) {
  const std::int64_t runs = lines.expected().run_count;
  if (runs < 2 || (found != runs - 1 && found != runs)) return std::nullopt;
  // The lines that show it: with the count right, the last line read is the
  // next test case's count line, whatever it holds.
  const std::int64_t showing = found == runs ? found - 1 : found;
  std::int64_t r = 0;
  while (r < showing && holds_run(lines, r, r, scratch)) ++r;
  // A line must show the shift: where every line read holds its own run,
  // the run after them may stand on the next line, read as the next count.
  if (r == showing) return std::nullopt;
  for (std::int64_t i = r; i < showing; ++i) {
    if (!holds_run(lines, i, i + 1, scratch)) return std::nullopt;
  }
  return hint{.what = hint::kind::run_missing, .line = line_of_run(lines, r), .run = r};
}

std::optional<hint> empty_last_run(const test_case_lines& lines, std::int64_t found,
                                   std::vector<std::int32_t>& scratch) {
  const std::int64_t runs = lines.expected().run_count;
  if (found != runs + 1) return std::nullopt;
  for (std::int64_t r = 0; r < runs; ++r) {
    if (!holds_run(lines, r, r, scratch)) return std::nullopt;
  }
  const line_read* after = lines.line_of(runs);
  scratch.clear();
  if (after == nullptr || after->line == 0 || !lines.append_numbers(runs, scratch) ||
      !scratch.empty())
    return std::nullopt;
  return hint{.what = hint::kind::empty_last_run, .line = after->line, .run = runs};
}

std::optional<hint> key_per_line(const test_case_lines& lines, std::int64_t found,
                                 std::vector<std::int32_t>& scratch) {
  const run_set& set = lines.expected();
  if (set.run_count < 1 || run_length(set, 1) < 2) return std::nullopt;
  // The expected keys laid end to end, as far as the lines read reach.
  std::int64_t checked = 0;
  for (std::int32_t run = 1; run <= set.run_count && checked < found; ++run) {
    for (const std::int32_t key : run_keys(set, run)) {
      if (checked == found) break;
      scratch.clear();
      if (!lines.append_numbers(checked, scratch) || scratch.size() != 1 || scratch[0] != key)
        return std::nullopt;
      ++checked;
    }
  }
  if (checked < 2) return std::nullopt;
  return hint{.what = hint::kind::key_per_line, .line = line_of_run(lines, 0), .run = 0};
}

}  // namespace

std::vector<hint> find_slips(const test_case_lines& lines, std::int64_t found) {
  std::vector<hint> slips;
  std::vector<std::int32_t> scratch;
  for (const auto find : {missing_run, empty_last_run, key_per_line}) {
    if (std::optional<hint> slip = find(lines, found, scratch)) slips.push_back(std::move(*slip));
  }
  return slips;
}

}  // namespace runcheck::explain
