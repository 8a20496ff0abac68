#include "explain/independent_score.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace runcheck::explain {

namespace {

// The fingerprint of a line: its numbers in order mixed into 64 bits, so
// lines that differ differ in it but for a chance of one in 2^64. A word
// that is not a number mixes in as a value no number has.
constexpr std::uint64_t empty_line = 0x9e3779b97f4a7c15U;
constexpr std::int64_t not_a_number = std::numeric_limits<std::int64_t>::min();

std::uint64_t mix(std::uint64_t hash, std::int64_t value) {
  std::uint64_t z = hash ^ (static_cast<std::uint64_t>(value) + 0x9e3779b97f4a7c15U + (hash << 6));
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9U;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebU;
  return z ^ (z >> 31);
}

bool is_blank(int c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

bool independent_scan::read_line() {
  std::uint64_t hash = empty_line;
  // Blank lines are skipped, as a count read skips them.
  while (hash == empty_line) {
    if (file_.at_end()) return false;
    hash = read_words();
  }
  window_.push_back(hash);
  return true;
}

std::uint64_t independent_scan::read_words() {
  std::uint64_t hash = empty_line;
  for (int c = file_.get(); c != '\n' && c != text_reader::end_of_file;) {
    if (is_blank(c)) {
      c = file_.get();
      continue;
    }
    // A word: a number when it is an optional minus and digits, in range.
    const bool negative = c == '-';
    if (negative) c = file_.get();
    std::int64_t value = 0;
    bool number = c >= '0' && c <= '9';
    for (; c != '\n' && c != text_reader::end_of_file && !is_blank(c); c = file_.get()) {
      if (c < '0' || c > '9') {
        number = false;
      } else if (value <= std::numeric_limits<std::int32_t>::max()) {
        value = value * 10 + (c - '0');
      }
    }
    if (value > std::numeric_limits<std::int32_t>::max()) number = false;
    hash = mix(hash, number ? (negative ? -value : value) : not_a_number);
  }
  return hash;
}

bool independent_scan::next(const run_set& runs) {
  const std::int64_t lines = std::int64_t{runs.run_count} + 1;
  const auto reach = static_cast<std::size_t>(
      std::max(independent_reach_minimum, independent_reach_factor * lines));
  // The block: the count line, then the line of every run not empty.
  std::vector<std::uint64_t> block;
  block.reserve(static_cast<std::size_t>(lines));
  block.push_back(mix(empty_line, runs.run_count));
  for (std::int32_t r = 1; r <= runs.run_count; ++r) {
    if (run_length(runs, r) == 0) continue;  // an empty run's line is blank
    std::uint64_t hash = empty_line;
    for (const stored_key key : run_keys(runs, r)) hash = mix(hash, key);
    block.push_back(hash);
  }
  // It may start at any of the `reach` lines from the place (blank lines
  // not counted).
  const std::size_t size = block.size();
  while (window_.size() < reach + size - 1 && read_line()) {
  }
  for (std::size_t start = 0; start < reach && start + size <= window_.size(); ++start) {
    if (std::equal(block.begin(), block.end(),
                   window_.begin() + static_cast<std::ptrdiff_t>(start))) {
      window_.erase(window_.begin(), window_.begin() + static_cast<std::ptrdiff_t>(start + size));
      return true;
    }
  }
  return false;
}

}  // namespace runcheck::explain
