#include "input/reading.h"

#include <cstdint>
#include <limits>

namespace runcheck {

namespace {

bool is_space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(int c) { return c >= '0' && c <= '9'; }

// Accumulates decimal digits with saturation. The magnitude is kept in 64
// bits and capped just past the int32 range, so no digit string overflows.
struct saturating_number {
  static constexpr std::int64_t cap = std::int64_t{1} << 32;
  std::int64_t magnitude = 0;
  bool negative = false;

  void add_digit(int c) {
    if (magnitude < cap) magnitude = magnitude * 10 + (c - '0');
  }

  std::int32_t value() const {
    const std::int64_t v = negative ? -magnitude : magnitude;
    if (v < std::numeric_limits<std::int32_t>::min())
      return std::numeric_limits<std::int32_t>::min();
    if (v > std::numeric_limits<std::int32_t>::max())
      return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v);
  }
};

}  // namespace

std::int32_t scan_count(text_reader& file) {
  int c = file.peek();
  while (c != text_reader::end_of_file && is_space(c)) {
    file.get();
    c = file.peek();
  }
  saturating_number number;
  if (c == '-' || c == '+') {
    number.negative = (c == '-');
    file.get();
    c = file.peek();
  }
  if (!is_digit(c)) return 0;
  while (is_digit(c)) {
    number.add_digit(c);
    file.get();
    c = file.peek();
  }
  while (c != text_reader::end_of_file && is_space(c)) {
    file.get();
    c = file.peek();
  }
  return number.value();
}

void scan_key_line(text_reader& file, key_line& line) {
  // The line is tokenised as it is read, so it is never copied. Each token
  // goes through the phases of atoi: leading white space, an optional sign,
  // digits, then everything else ignored up to the next space.
  enum class phase { between, leading, sign_seen, digits, ignored };
  phase state = phase::between;
  saturating_number number;
  line.count = 0;
  line.chars_read = 0;

  auto finish_token = [&] {
    line.numbers[line.count++] = number.value();
    state = phase::between;
  };

  while (line.chars_read < read_str_size - 1) {
    const int c = file.get();
    if (c == text_reader::end_of_file) break;
    ++line.chars_read;
    if (c == ' ') {
      if (state != phase::between) finish_token();
      continue;
    }
    if (state == phase::between) {
      state = phase::leading;
      number = saturating_number{};
    }
    switch (state) {
      case phase::leading:
        if (c == '-' || c == '+') {
          number.negative = (c == '-');
          state = phase::sign_seen;
        } else if (is_digit(c)) {
          number.add_digit(c);
          state = phase::digits;
        } else if (!is_space(c)) {
          state = phase::ignored;
        }
        break;
      case phase::sign_seen:
      case phase::digits:
        if (is_digit(c)) {
          number.add_digit(c);
          state = phase::digits;
        } else {
          state = phase::ignored;
        }
        break;
      case phase::between:
      case phase::ignored:
        break;
    }
    if (c == '\n') break;
  }
  if (state != phase::between) finish_token();
}

}  // namespace runcheck
