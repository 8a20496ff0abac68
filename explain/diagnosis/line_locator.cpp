#include "explain/diagnosis/line_locator.h"

#include <algorithm>

#include "input/reading.h"

namespace runcheck::explain {

namespace {

// White space within a line, as a count read skips it.
bool is_white_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool all_blank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), is_white_space);
}

}  // namespace

bool line_locator::open() {
  if (!opened_) {
    opened_ = true;
    file_ = open_text_file(path_.c_str());
  }
  return file_.has_value();
}

std::string_view line_locator::head() {
  if (!open()) return {};
  const std::string_view block = file_->buffered();
  return block.substr(0, std::min<std::size_t>(block.size(), 4096));
}

located_line line_locator::locate(std::int64_t offset) {
  if (!open()) return {};
  // An offset on the line captured last is answered from the capture, which
  // holds no line feed.
  const auto end_of_capture = captured_at_ + static_cast<std::int64_t>(captured_.size());
  if (captured_at_ >= 0 && offset >= captured_at_ && offset < end_of_capture) {
    const auto skip = static_cast<std::size_t>(offset - captured_at_);
    const std::string_view text = std::string_view(captured_).substr(skip);
    return {.line = line_,
            .text = text,
            .starts_line = captured_starts_line_ && all_blank(captured_.substr(0, skip))};
  }
  // Skip to the offset, counting line feeds and noting whether the line so
  // far is blank.
  while (file_->offset() < offset) {
    const std::string_view block = file_->buffered();
    if (block.empty()) break;
    const auto n = static_cast<std::size_t>(
        std::min<std::int64_t>(offset - file_->offset(), static_cast<std::int64_t>(block.size())));
    const std::string_view skipped = block.substr(0, n);
    const std::size_t last_feed = skipped.rfind('\n');
    if (last_feed != std::string_view::npos) {
      line_ += std::count(skipped.begin(), skipped.end(), '\n');
      blank_line_ = all_blank(skipped.substr(last_feed + 1));
    } else {
      blank_line_ = blank_line_ && all_blank(skipped);
    }
    file_->consume(n);
  }
  // Capture the rest of the line, as far as a key-line read would take it.
  captured_.clear();
  captured_at_ = file_->offset();
  captured_starts_line_ = blank_line_;
  while (captured_.size() < read_str_size - 1) {
    const std::string_view block = file_->buffered();
    if (block.empty()) break;
    const std::size_t room = read_str_size - 1 - captured_.size();
    const std::size_t n = std::min({block.find('\n'), block.size(), room});
    captured_.append(block.substr(0, n));
    file_->consume(n);
    if (n < block.size() && block[n] == '\n') break;
  }
  const std::string_view rest = file_->buffered();
  if (captured_.empty() && rest.empty()) return {};
  blank_line_ = blank_line_ && all_blank(captured_);
  if (captured_.ends_with('\r') && rest.starts_with('\n')) captured_.pop_back();
  return {.line = line_,
          .text = captured_,
          .starts_line = captured_starts_line_,
          .ends_file = rest.empty()};
}

}  // namespace runcheck::explain
