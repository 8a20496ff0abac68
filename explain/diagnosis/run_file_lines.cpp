#include "explain/diagnosis/run_file_lines.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

namespace runcheck::explain {

namespace {

bool is_word_break(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::int32_t saturated(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Cuts `bytes` (a line without its line feed) into `line`'s words: a word's
// value is that of the sign and digits at its start, saturated; the word is
// a whole number when nothing else follows them. One pass over the bytes.
void cut_into_words(std::string_view bytes, file_line& line) {
  // A carriage return before the line feed ends the line; anywhere else it
  // is read as part of a word.
  if (bytes.ends_with('\r')) bytes.remove_suffix(1);
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while (p != end) {
    if (is_word_break(*p)) {
      line.odd = line.odd || *p != ' ';
      ++p;
      continue;
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const char* const digits = p;
    std::int64_t value = 0;  // stops growing past 2^32: saturated below
    for (; p != end && is_digit(*p); ++p) {
      if (value < (std::int64_t{1} << 32)) value = value * 10 + (*p - '0');
    }
    const bool number = p != digits;
    const bool whole = number && (p == end || is_word_break(*p));
    while (p != end && !is_word_break(*p)) ++p;
    if (line.words == 0 && number) {
      line.count_read = true;
      line.count = saturated(negative ? -value : value);
      line.count_whole = whole;
    }
    ++line.words;
    if (!whole) {
      line.text = true;
    } else if (line.numbers.size() < run_file_lines::max_line_words) {
      line.numbers.push_back(saturated(negative ? -value : value));
    } else {
      line.overflow = true;
    }
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
  // The line: in the reader's block where it lies whole in one (it stays
  // there until the next read), else gathered into bytes_.
  std::string_view text;
  bool gathered = false;
  bool cut = false;
  bool any = false;
  for (std::string_view block = file_->buffered(); !block.empty(); block = file_->buffered()) {
    any = true;
    const auto* const feed =
        static_cast<const char*>(std::memchr(block.data(), '\n', block.size()));
    const std::size_t n =
        feed == nullptr ? block.size() : static_cast<std::size_t>(feed - block.data());
    if (feed != nullptr && !gathered && n <= max_line_bytes) {
      text = block.substr(0, n);
      file_->consume(n + 1);
      break;
    }
    gathered = true;
    const std::size_t room = max_line_bytes - std::min(bytes_.size(), max_line_bytes);
    cut = cut || n > room;
    bytes_.append(block.substr(0, std::min(n, room)));
    file_->consume(feed == nullptr ? n : n + 1);
    if (feed != nullptr) break;
  }
  if (!any) return false;
  if (gathered) text = bytes_;
  const std::int64_t number = next_++;
  file_line& kept = kept_.emplace_back();
  if (!spare_.empty()) {
    kept.numbers = std::move(spare_.back());
    kept.numbers.clear();
    spare_.pop_back();
  }
  kept.number = number;
  kept.offset = start;
  kept.end = file_->offset();
  kept.overflow = cut;
  cut_into_words(text, kept);
  // A blank line (white space alone) is not kept.
  if (kept.words == 0 && !cut) {
    spare_.push_back(std::move(kept.numbers));
    kept_.pop_back();
  }
  return true;
}

void run_file_lines::forget_first() {
  // A few lists are enough: lines are read about as fast as they go.
  constexpr std::size_t most_spare = 64;
  if (spare_.size() < most_spare) spare_.push_back(std::move(kept_.front().numbers));
  kept_.pop_front();
}

void run_file_lines::keep_from(std::int64_t n) {
  keep_from_ = std::max(keep_from_, n);
  while (!kept_.empty() && kept_.front().number < keep_from_) forget_first();
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
  while (!kept_.empty()) forget_first();
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
