#include "explain/diagnosis/test_case_lines.h"

#include <algorithm>

#include "runs/limits.h"

namespace runcheck::explain {

namespace {

// A run line that passes holds numbers after its run's last key, other than
// the 0 that a space before the line break makes. An empty run has no last
// key: whatever its line holds is not compared.
bool numbers_after_run(const run_set& expected, std::int64_t run, const key_line& line) {
  const auto length = static_cast<std::size_t>(run_length(expected, run + 1));
  return length > 0 && line.count > length && !(line.count == length + 1 && line.last_token_blank);
}

}  // namespace

void test_case_lines::begin(const run_set& expected) {
  expected_ = expected;
  used_ = 0;
  numbers_.clear();
  wrong_.clear();
  more_wrong_ = 0;
  lost_ = false;
}

void test_case_lines::add(const run_line_report& line) {
  if (used_ == max_lines) {
    lost_ = true;
    return;
  }
  const key_line& read = *line.line;
  const std::size_t room = max_numbers - numbers_.size();
  const std::size_t kept = std::min(read.count, room);
  if (kept < read.count) lost_ = true;
  if (used_ == lines_.size()) lines_.emplace_back();
  lines_[used_++] = {.run = line.run,
                     .offset = line.offset,
                     .first = numbers_.size(),
                     .kept = kept,
                     .count = read.count,
                     .cut = read.cut,
                     .last_token_blank = read.last_token_blank,
                     .warned = numbers_after_run(expected_, line.run, read)};
  numbers_.insert(numbers_.end(), read.numbers.begin(),
                  read.numbers.begin() + static_cast<std::ptrdiff_t>(kept));
}

void test_case_lines::add_wrong(const run_report& run) {
  if (used_ > 0 && lines_[used_ - 1].run == run.run) {
    lines_[used_ - 1].wrong = true;
    lines_[used_ - 1].warned = false;  // a wrong line passes by no tolerance
  }
  if (wrong_.size() < max_kept_runs) {
    wrong_.push_back(run);
  } else {
    ++more_wrong_;
  }
}

const line_read* test_case_lines::line_of(std::int64_t run) const {
  const auto l = lines();
  const auto found = std::lower_bound(l.begin(), l.end(), run,
                                      [](const line_read& x, std::int64_t r) { return x.run < r; });
  return found != l.end() && found->run == run ? &*found : nullptr;
}

bool test_case_lines::append_numbers(std::int64_t run, std::vector<std::int32_t>& into) const {
  const line_read* l = line_of(run);
  if (l != nullptr) {
    if (l->kept < l->count) return false;
    const auto first = numbers_.begin() + static_cast<std::ptrdiff_t>(l->first);
    const std::size_t n = l->kept - (l->last_token_blank && l->kept > 0 ? 1 : 0);
    into.insert(into.end(), first, first + static_cast<std::ptrdiff_t>(n));
    return true;
  }
  if (lost_ || run >= expected_.run_count) return false;
  const auto keys = run_keys(expected_, run + 1);
  into.insert(into.end(), keys.begin(), keys.end());
  return true;
}

bool test_case_lines::runs_as_read(std::int64_t run_lines, laid_runs& into) const {
  into.keys.clear();
  into.ends.clear();
  bool complete = !lost_ && run_lines <= std::int64_t{max_lines};
  for (std::int64_t r = 0; complete && r < run_lines; ++r) {
    complete = append_numbers(r, into.keys);
    into.ends.push_back(into.keys.size());
  }
  return complete;
}

void test_case_lines::keep_runs(std::int64_t run_lines, test_case_report& report) const {
  laid_runs& laid = report.expected_runs;
  for (std::int32_t r = 1; r <= expected_.run_count; ++r) {
    const auto keys = run_keys(expected_, r);
    laid.keys.insert(laid.keys.end(), keys.begin(), keys.end());
    laid.ends.push_back(laid.keys.size());
  }
  laid_runs& read = report.read_runs;
  const std::int64_t kept = std::min<std::int64_t>(run_lines, expected_.run_count);
  for (std::int64_t r = 0; r < kept; ++r) {
    const std::size_t start = read.keys.size();
    if (!append_numbers(r, read.keys)) {
      read.keys.clear();
      read.ends.clear();
      report.read_runs_lost = true;
      return;
    }
    if (read.keys.size() - start > max_run_keys)
      read.keys.resize(start + static_cast<std::size_t>(max_run_keys));
    read.ends.push_back(read.keys.size());
  }
}

test_case_lines::structures test_case_lines::mark_lines_to_locate() {
  bool cut = false;
  for (line_read& l : lines()) {
    l.locate = l.wrong || l.warned || (l.cut && !cut) || l.run == expected_.run_count;
    cut = cut || l.cut;
  }
  structures found;
  std::vector<std::int32_t>& numbers = scratch_;
  std::vector<std::int32_t>& next = scratch_next_;
  for (line_read& l : lines()) {
    numbers.clear();
    if (l.run >= expected_.run_count || !append_numbers(l.run, numbers)) continue;
    // Runs l.run, l.run + 1, ... laid end to end.
    std::size_t at = 0;
    std::int64_t r = l.run;
    while (r < expected_.run_count && at < numbers.size()) {
      const auto keys = run_keys(expected_, r + 1);
      if (keys.empty() || numbers.size() - at < keys.size() ||
          !std::equal(keys.begin(), keys.end(), numbers.begin() + static_cast<std::ptrdiff_t>(at)))
        break;
      at += keys.size();
      ++r;
    }
    if (at == numbers.size() && r - l.run >= 2 && found.merged.line == nullptr) {
      found.merged = {.line = &l, .runs = r - l.run};
      l.locate = true;
      l.warned = false;  // its numbers after the run are the next runs: the hint says so
    }
    // A proper beginning of the run, the next line holding the rest.
    const auto keys = run_keys(expected_, l.run + 1);
    next.clear();
    if (found.split.line == nullptr && !numbers.empty() && numbers.size() < keys.size() &&
        std::equal(numbers.begin(), numbers.end(), keys.begin()) &&
        append_numbers(l.run + 1, next) && next.size() == keys.size() - numbers.size() &&
        std::equal(next.begin(), next.end(),
                   keys.begin() + static_cast<std::ptrdiff_t>(numbers.size()))) {
      found.split = {.line = &l, .runs = 2};
      l.locate = true;
    }
  }
  return found;
}

}  // namespace runcheck::explain
