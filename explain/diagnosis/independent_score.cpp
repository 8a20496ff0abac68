#include "explain/diagnosis/independent_score.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

#include "runs/limits.h"

namespace runcheck::explain {

namespace {

// A run's line is at most max_run_keys keys of at most 6 characters and a
// space each; a line longer than this matches no expected line.
constexpr std::size_t longest_line = std::size_t{max_run_keys} * 8 + 64;
constexpr line_print too_long = 0x5bd1e995U;

// The fingerprint of a line's words, one space between two, so that lines
// that differ in their words differ in it but for a chance of about one in
// 2^64, 8 bytes at a time.
std::uint64_t fingerprint(std::string_view words) {
  constexpr std::uint64_t k = 0x9e3779b97f4a7c15U;
  std::uint64_t h = 0x243f6a8885a308d3U ^ (words.size() * k);
  const auto fold = [&](std::uint64_t w) {
    h = (h ^ w) * k;
    h ^= h >> 29;
  };
  std::size_t i = 0;
  for (; i + 8 <= words.size(); i += 8) {
    std::uint64_t w = 0;
    std::memcpy(&w, words.data() + i, 8);
    fold(w);
  }
  if (i < words.size()) {
    std::uint64_t w = 0;
    std::memcpy(&w, words.data() + i, words.size() - i);
    fold(w);
  }
  h *= 0xbf58476d1ce4e5b9U;
  return h ^ (h >> 31);
}

line_print print_of(std::string_view words) {
  return static_cast<line_print>(fingerprint(words) >> 32);
}

// What stands between the words of a line, for the score: tabs too, and
// the CR of a CR LF line end.
bool separates_words(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Whether `line` already has one space between two words and none around
// them: most lines, which are fingerprinted as they stand.
bool plain(std::string_view line) {
  if (line.empty() || line.front() == ' ' || line.back() == ' ') return false;
  // Eight bytes at a time: a tab, a CR, or a space at j and at j + 1 (from
  // the load one byte on). A borrow may mark a byte that is none of these:
  // the line then takes the longer way, to the same fingerprint.
  constexpr std::uint64_t ones = 0x0101010101010101U;
  constexpr std::uint64_t highs = 0x8080808080808080U;
  const auto has = [](std::uint64_t w, unsigned char c) {
    const std::uint64_t x = w ^ (ones * c);
    return (x - ones) & ~x & highs;
  };
  std::size_t i = 0;
  for (; i + 9 <= line.size(); i += 8) {
    std::uint64_t w = 0;
    std::uint64_t v = 0;
    std::memcpy(&w, line.data() + i, 8);
    std::memcpy(&v, line.data() + i + 1, 8);
    if ((has(w, '\t') | has(w, '\r') | (has(w, ' ') & has(v, ' '))) != 0) return false;
  }
  for (char last = i > 0 ? line[i - 1] : '\0'; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t' || c == '\r' || (c == ' ' && last == ' ')) return false;
    last = c;
  }
  return true;
}

// `line`'s words, one space between two, into `words`.
std::string_view words_of(std::string_view line, std::string& words) {
  words.clear();
  bool gap = false;
  for (const char c : line) {
    if (separates_words(c)) {
      gap = true;
      continue;
    }
    if (gap && !words.empty()) words.push_back(' ');
    gap = false;
    words.push_back(c);
  }
  return words;
}

}  // namespace

void independent_blocks::add(const run_set& runs) {
  char text[24];
  std::string line;
  const auto to_text = [&](std::int64_t value) {
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string_view(text, static_cast<std::size_t>(result.ptr - text));
  };
  fingerprints_.push_back(print_of(to_text(runs.run_count)));
  for (std::int32_t r = 1; r <= runs.run_count; ++r) {
    if (run_length(runs, r) == 0) continue;  // an empty run's line is blank
    line.clear();
    for (const stored_key key : run_keys(runs, r)) {
      if (!line.empty()) line.push_back(' ');
      line += to_text(key);
    }
    fingerprints_.push_back(print_of(line));
  }
  ends_.push_back(fingerprints_.size());
}

void independent_blocks::done() {
  fingerprints_.shrink_to_fit();
  ends_.shrink_to_fit();
}

std::span<const line_print> independent_blocks::block(std::int32_t t) const {
  const auto i = static_cast<std::size_t>(t);
  const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
  return {fingerprints_.data() + begin, ends_[i] - begin};
}

bool independent_scan::read_line() {
  for (;;) {
    // The line: in the reader's block as it stands, or gathered from
    // several blocks into pieces_, up to longest_line bytes.
    std::string_view line;
    bool cut = false;
    pieces_.clear();
    for (std::string_view block = file_.buffered();; block = file_.buffered()) {
      if (block.empty()) {
        if (pieces_.empty() && !cut) return false;  // the end of the file
        line = pieces_;
        break;
      }
      const auto* const feed =
          static_cast<const char*>(std::memchr(block.data(), '\n', block.size()));
      const std::size_t n =
          feed == nullptr ? block.size() : static_cast<std::size_t>(feed - block.data());
      if (feed != nullptr && pieces_.empty() && !cut) {
        line = block.substr(0, n);
        file_.consume(n + 1);
        break;
      }
      const std::size_t room = longest_line + 1 - std::min(pieces_.size(), longest_line + 1);
      cut = cut || n > room;
      pieces_.append(block.substr(0, std::min(n, room)));
      file_.consume(feed == nullptr ? n : n + 1);
      if (feed != nullptr) {
        line = pieces_;
        break;
      }
    }
    line_print print = 0;
    if (cut || line.size() > longest_line) {
      print = too_long;
    } else if (plain(line)) {
      print = print_of(line);
    } else {
      std::string words;
      const std::string_view w = words_of(line, words);
      if (w.empty()) continue;  // blank lines are skipped, as a count read skips them
      print = print_of(w);
    }
    window_.push_back(print);
    return true;
  }
}

bool independent_scan::next(const independent_blocks& blocks, std::int32_t t, const run_set& runs) {
  if (!blocks.has(t)) {
    made_.clear();
    made_.add(runs);
  }
  const std::span<const line_print> block = blocks.has(t) ? blocks.block(t) : made_.block(0);
  const std::int64_t lines = std::int64_t{runs.run_count} + 1;
  const auto reach = static_cast<std::size_t>(
      std::max(independent_reach_minimum, independent_reach_factor * lines));
  // The block may start at any of the `reach` lines from the place (blank
  // lines not counted).
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
