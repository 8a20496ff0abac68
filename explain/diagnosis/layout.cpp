#include "explain/diagnosis/layout.h"

#include <algorithm>
#include <span>

namespace runcheck::explain {

namespace {

// A count says more run lines than any program writes for a test case (one
// run a key, at most max_run_keys keys): no block of that many lines is
// looked for.
constexpr std::int32_t most_counted_lines = 1024;

// The test case's keys, run after run, matched word by word.
class key_cursor {
 public:
  explicit key_cursor(const run_set& expected) : expected_(expected) { skip_empty(); }

  bool done() const { return run_ > expected_.run_count; }

  // Takes `numbers` as the next keys; false where one differs or no key is
  // left for it.
  bool take(std::span<const std::int32_t> numbers) {
    for (const std::int32_t n : numbers) {
      if (done() || run_keys(expected_, run_)[position_] != n) return false;
      ++position_;
      skip_empty();
    }
    return true;
  }

 private:
  void skip_empty() {
    while (run_ <= expected_.run_count &&
           position_ == static_cast<std::size_t>(run_length(expected_, run_))) {
      ++run_;
      position_ = 0;
    }
  }

  const run_set& expected_;
  std::int32_t run_ = 1;
  std::size_t position_ = 0;
};

// The numbers of the count line that follow its count: the first run's
// keys, where the count is a word of its own.
std::span<const std::int32_t> after_count(const file_line& count) {
  const std::span<const std::int32_t> numbers = count.numbers;
  return count.count_whole ? numbers.subspan(1) : numbers;
}

// The last line of the block that holds the runs as the listing has them,
// from the count on line `count_line`; nothing where the lines do not.
std::optional<std::int64_t> runs_block_end(run_file_lines& lines, std::int64_t count_line,
                                           const run_set& expected) {
  const file_line* count = lines.line(count_line);
  if (count == nullptr || count->overflow) return std::nullopt;
  key_cursor keys(expected);
  if (keys.done()) {
    // Every run is empty: the listing's lines are blank, one a run.
    if (count->words > 1) return std::nullopt;
    const std::int64_t end = count_line + expected.run_count;
    const std::int64_t next = lines.next_nonblank(count_line + 1);
    if (next != 0 && next <= end) return std::nullopt;
    return end;
  }
  if (!keys.take(after_count(*count))) return std::nullopt;
  std::int64_t end = count_line;
  while (!keys.done()) {
    // Each line takes a key at least: as many lines as keys at most.
    end = lines.next_nonblank(end + 1);
    const file_line* line = end == 0 ? nullptr : lines.line(end);
    if (line == nullptr || line->overflow || line->numbers.empty() || !keys.take(line->numbers))
      return std::nullopt;
  }
  return end;
}

// A block that the end of the file cuts short.
constexpr std::int64_t past_the_end = -1;

// The last line of the block of as many run lines as the count says;
// past_the_end where the file ends first.
std::optional<std::int64_t> counted_block_end(run_file_lines& lines, std::int64_t count_line) {
  const file_line* count = lines.line(count_line);
  if (count == nullptr || !count->count_read || count->count < 0 ||
      count->count > most_counted_lines)
    return std::nullopt;
  const bool first_run_here = count->count > 0 && !after_count(*count).empty();
  const std::int64_t run_lines = count->count - (first_run_here ? 1 : 0);
  if (run_lines == 0) return count_line;
  // The count read skips blank lines after the count; run lines are read as
  // they come, blank or not.
  const std::int64_t first = lines.next_nonblank(count_line + 1);
  if (first == 0) return past_the_end;
  return first + run_lines - 1;
}

// The first line after a block that ends at `end`, where it is a next test
// case's count line, or the end of the file.
std::optional<std::int64_t> next_count_after(run_file_lines& lines, std::int64_t end,
                                             const run_set* next) {
  const std::int64_t first = end == past_the_end ? 0 : lines.next_nonblank(end + 1);
  if (first == 0 || next == nullptr) return first;
  if (block_at(lines, first, *next)) return first;
  // The next test case's lines from the block's last line on: a run line
  // missing, the count unchanged.
  if (end > 0 && block_at(lines, end, *next)) return end;
  // A line more, then the next test case's lines exactly: an extra line.
  if (const std::int64_t second = lines.next_nonblank(first + 1);
      second != 0 && block_at(lines, second, *next))
    return second;
  // A line of one word is a count line, a number or not (a count written
  // with a stray byte); one of several, where a count read of it gives the
  // count expected (the count and the first run on one line).
  const file_line* line = lines.line(first);
  if (line->words == 1 || (line->count_read && line->count == next->run_count)) return first;
  return std::nullopt;
}

}  // namespace

std::optional<std::int64_t> next_count_line(run_file_lines& lines, std::int64_t count_line,
                                            const run_set& expected, const run_set* next) {
  if (count_line == 0) return 0;
  // The next test case's lines exactly where this one's should stand: this
  // one is missing.
  if (next != nullptr && !block_at(lines, count_line, expected) &&
      block_at(lines, count_line, *next))
    return count_line;
  if (const auto end = runs_block_end(lines, count_line, expected)) {
    if (const auto after = next_count_after(lines, *end, next)) return after;
  }
  if (const auto end = counted_block_end(lines, count_line)) {
    if (const auto after = next_count_after(lines, *end, next)) return after;
  }
  return std::nullopt;
}

bool block_at(run_file_lines& lines, std::int64_t count_line, const run_set& expected) {
  if (count_line == 0) return false;
  const auto plain = [](const file_line* line) {
    return line != nullptr && !line->text && !line->odd && !line->overflow;
  };
  const file_line* count = lines.line(count_line);
  if (!plain(count) || count->words != 1 || count->count != expected.run_count) return false;
  for (std::int32_t r = 1; r <= expected.run_count; ++r) {
    const auto keys = run_keys(expected, r);
    const file_line* line = lines.line(count_line + r);
    if (keys.empty() ? line != nullptr
                     : !plain(line) || !std::equal(keys.begin(), keys.end(), line->numbers.begin(),
                                                   line->numbers.end()))
      return false;
  }
  return true;
}

}  // namespace runcheck::explain
