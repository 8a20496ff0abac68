#include "explain/diagnosis/line_text.h"

#include <algorithm>

namespace runcheck::explain {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::size_t token_count(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t end = std::min(text.find(' ', i), text.size());
    if (end > i) ++count;
    i = end + 1;
  }
  return count;
}

std::string_view first_token(std::string_view text) {
  const std::size_t begin = std::min(text.find_first_not_of(' '), text.size());
  return text.substr(begin, std::min(text.find(' ', begin), text.size()) - begin);
}

bool starts_with_number(std::string_view text) {
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  return !text.empty() && is_digit(text[0]);
}

bool lone_carriage_return(std::string_view text) {
  for (std::size_t i = text.find('\r'); i != std::string_view::npos; i = text.find('\r', i + 1)) {
    if (i + 1 == text.size() || text[i + 1] != '\n') return true;
  }
  return false;
}

}  // namespace runcheck::explain
