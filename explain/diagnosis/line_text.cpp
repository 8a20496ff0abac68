#include "explain/diagnosis/line_text.h"

namespace runcheck::explain {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

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
