#include "explain/diagnosis/run_file_lines.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

namespace runcheck::explain {

namespace {

bool is_word_break(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::int32_t saturated(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The value of the sign and digits at the start of `word`, saturated; sets
// `whole` when nothing else follows them.
std::optional<std::int32_t> leading_number(std::string_view word, bool& whole) {
  std::size_t i = !word.empty() && (word[0] == '-' || word[0] == '+') ? 1 : 0;
  const bool negative = i == 1 && word[0] == '-';
  if (i == word.size() || !is_digit(word[i])) return std::nullopt;
  std::int64_t value = 0;
  for (; i < word.size() && is_digit(word[i]); ++i) {
    value = std::min<std::int64_t>(value * 10 + (word[i] - '0'), std::int64_t{1} << 32);
  }
  whole = i == word.size();
  return saturated(negative ? -value : value);
}

// Cuts `bytes` (a line without its line feed) into `line`'s words.
void cut_into_words(std::string_view bytes, file_line& line) {
  // A carriage return before the line feed ends the line; anywhere else it
  // is read as part of a word.
  if (bytes.ends_with('\r')) bytes.remove_suffix(1);
  for (std::size_t i = 0; i < bytes.size();) {
    if (is_word_break(bytes[i])) {
      line.odd = line.odd || bytes[i] != ' ';
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < bytes.size() && !is_word_break(bytes[end])) ++end;
    const std::string_view word = bytes.substr(i, end - i);
    bool whole = false;
    const std::optional<std::int32_t> number = leading_number(word, whole);
    if (line.words == 0 && number) {
      line.count_read = true;
      line.count = *number;
      line.count_whole = whole;
    }
    ++line.words;
    if (!whole) {
      line.text = true;
    } else if (line.numbers.size() < run_file_lines::max_line_words) {
      line.numbers.push_back(*number);
    } else {
      line.overflow = true;
    }
    i = end;
  }
}

}  // namespace

bool run_file_lines::open() {
  if (!opened_) {
    opened_ = true;
    file_ = open_text_file(path_.c_str());
  }
  return file_.has_value();
}

bool run_file_lines::read_line() {
  if (!open()) return false;
  const std::int64_t start = file_->offset();
  bytes_.clear();
  bool cut = false;
  bool any = false;
  for (std::string_view block = file_->buffered(); !block.empty(); block = file_->buffered()) {
    any = true;
    const auto* const feed =
        static_cast<const char*>(std::memchr(block.data(), '\n', block.size()));
    const std::size_t n =
        feed == nullptr ? block.size() : static_cast<std::size_t>(feed - block.data());
    const std::size_t room = max_line_bytes - std::min(bytes_.size(), max_line_bytes);
    cut = cut || n > room;
    bytes_.append(block.substr(0, std::min(n, room)));
    file_->consume(feed == nullptr ? n : n + 1);
    if (feed != nullptr) break;
  }
  if (!any) return false;
  const std::int64_t number = next_++;
  const bool blank = std::all_of(bytes_.begin(), bytes_.end(), is_word_break);
  if (blank && !cut) return true;
  file_line& kept = kept_.emplace_back();
  kept.number = number;
  kept.offset = start;
  kept.end = file_->offset();
  kept.overflow = cut;
  cut_into_words(bytes_, kept);
  return true;
}

void run_file_lines::keep_from(std::int64_t n) {
  keep_from_ = std::max(keep_from_, n);
  while (!kept_.empty() && kept_.front().number < keep_from_) kept_.pop_front();
}

const file_line* run_file_lines::line(std::int64_t n) {
  if (n < keep_from_) return nullptr;
  while (next_ <= n && read_line()) {
  }
  // The lines kept are in order: the last ones are the likeliest asked for.
  const auto at =
      std::find_if(kept_.rbegin(), kept_.rend(), [n](const file_line& l) { return l.number <= n; });
  return at != kept_.rend() && at->number == n ? &*at : nullptr;
}

std::int64_t run_file_lines::next_nonblank(std::int64_t n) {
  n = std::max(n, keep_from_);
  for (;;) {
    const auto it =
        std::lower_bound(kept_.begin(), kept_.end(), n,
                         [](const file_line& l, std::int64_t number) { return l.number < number; });
    if (it != kept_.end()) return it->number;
    if (!read_line()) return 0;
  }
}

void run_file_lines::skip_to(std::int64_t offset) {
  kept_.clear();
  // The lines before the offset are counted, not cut into words; the line
  // that holds it is read from the offset on.
  while (file_->offset() < offset) {
    const std::string_view block = file_->buffered();
    if (block.empty()) break;
    const auto n = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(block.size()), offset - file_->offset()));
    next_ += std::count(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n), '\n');
    file_->consume(n);
  }
  keep_from_ = next_;
}

std::int64_t run_file_lines::line_of(std::int64_t offset, bool forget_before) {
  if (!open()) return 0;
  if (forget_before && (kept_.empty() || offset >= kept_.back().end)) skip_to(offset);
  for (;;) {
    if (!kept_.empty() && offset < kept_.back().end) {
      const auto it =
          std::lower_bound(kept_.begin(), kept_.end(), offset,
                           [](const file_line& l, std::int64_t at) { return l.end <= at; });
      return it != kept_.end() && it->offset <= offset ? it->number : 0;
    }
    if (forget_before && !kept_.empty()) keep_from(kept_.back().number + 1);
    if (!read_line()) return 0;
  }
}

}  // namespace runcheck::explain
