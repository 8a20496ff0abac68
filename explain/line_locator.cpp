#include "explain/line_locator.h"

#include <algorithm>

#include "input/reading.h"

namespace runcheck::explain {

std::string_view line_locator::head() {
  if (!file_) return {};
  const std::string_view block = file_->buffered();
  return block.substr(0, std::min<std::size_t>(block.size(), 4096));
}

located_line line_locator::locate(std::int64_t offset) {
  if (!file_) return {};
  // An offset on the line captured last is answered from the capture, which
  // holds no line feed.
  const auto end_of_capture = captured_at_ + static_cast<std::int64_t>(captured_.size());
  if (captured_at_ >= 0 && offset >= captured_at_ && offset < end_of_capture) {
    return {line_,
            std::string_view(captured_).substr(static_cast<std::size_t>(offset - captured_at_))};
  }
  // Skip to the offset, counting line feeds.
  while (pos_ < offset) {
    const std::string_view block = file_->buffered();
    if (block.empty()) break;
    const auto n = static_cast<std::size_t>(
        std::min<std::int64_t>(offset - pos_, static_cast<std::int64_t>(block.size())));
    line_ += std::count(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n), '\n');
    file_->consume(n);
    pos_ += static_cast<std::int64_t>(n);
  }
  // Capture the rest of the line, as far as a key-line read would take it.
  captured_.clear();
  captured_at_ = pos_;
  while (captured_.size() < read_str_size - 1) {
    const std::string_view block = file_->buffered();
    if (block.empty()) break;
    const std::size_t room = read_str_size - 1 - captured_.size();
    const std::size_t n = std::min({block.find('\n'), block.size(), room});
    captured_.append(block.substr(0, n));
    file_->consume(n);
    pos_ += static_cast<std::int64_t>(n);
    if (n < block.size() && block[n] == '\n') break;
  }
  const std::string_view rest = file_->buffered();
  if (captured_.empty() && rest.empty()) return {};
  if (captured_.ends_with('\r') && rest.starts_with('\n')) captured_.pop_back();
  return {line_, captured_};
}

}  // namespace runcheck::explain
