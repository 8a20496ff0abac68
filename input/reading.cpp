#include "input/reading.h"

#include <cstdint>
#include <limits>
#include <string_view>

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

// Consumes white space up to the first other byte or the end of the file.
// Carriage returns are white space whether or not a line feed follows, so the
// bytes need no folding here.
void skip_space(text_reader& file) {
  for (;;) {
    const std::string_view block = file.buffered();
    if (block.empty()) return;
    std::size_t i = 0;
    while (i < block.size() && is_space(block[i])) ++i;
    file.consume(i);
    if (i < block.size()) return;
  }
}

}  // namespace

std::int32_t scan_count(text_reader& file, std::int64_t* start) {
  skip_space(file);
  if (start != nullptr) *start = file.offset();
  saturating_number number;
  std::string_view block = file.buffered();
  if (!block.empty() && (block[0] == '-' || block[0] == '+')) {
    number.negative = (block[0] == '-');
    file.consume(1);
    block = file.buffered();
  }
  if (block.empty() || !is_digit(block[0])) return 0;
  // The digits may go on in the next block.
  for (; !block.empty(); block = file.buffered()) {
    std::size_t i = 0;
    while (i < block.size() && is_digit(block[i])) number.add_digit(block[i++]);
    file.consume(i);
    if (i < block.size()) break;
  }
  skip_space(file);
  return number.value();
}

void scan_key_line(text_reader& file, key_line& line) {
  // The line is tokenised in place in the reader's block, so it is never
  // copied. Each token goes through the phases of atoi: leading white space,
  // an optional sign, digits, then everything else ignored up to the next
  // space. Runs of spaces and of digits, the bulk of a key line, have loops
  // of their own; every other character takes one step of the phases.
  enum class phase { between, leading, sign_seen, digits, ignored };
  phase state = phase::between;
  saturating_number number;
  line.count = 0;
  line.chars_read = 0;

  auto finish_token = [&] {
    line.numbers[line.count++] = number.value();
    state = phase::between;
  };

  bool line_break_read = false;
  while (!line_break_read && line.chars_read < read_str_size - 1) {
    const std::string_view block = file.buffered();
    if (block.empty()) break;
    const char* const begin = block.data();
    const char* const block_end = begin + block.size();
    // Bytes and characters differ only by a folded carriage return, and the
    // line feed it folds into ends the read: so the character limit stops the
    // scan at `limit` bytes, and a carriage return just before `limit` may
    // still fold with the line feed at `limit`.
    const std::size_t room = read_str_size - 1 - line.chars_read;
    const char* const limit = block.size() > room ? begin + room : block_end;
    const char* p = begin;
    std::size_t folded = 0;
    while (p < limit) {
      if (state == phase::between) {
        while (p < limit && *p == ' ') ++p;
        if (p == limit) break;
        if (is_digit(*p)) {  // the common token start: a digit
          number = saturating_number{};
          state = phase::digits;
        }
      }
      if (state == phase::digits) {
        while (p < limit && is_digit(*p)) number.add_digit(*p++);
        if (p == limit) break;
        if (*p == ' ') {  // the common token end: a space
          finish_token();
          ++p;
          continue;
        }
      }
      int c = static_cast<unsigned char>(*p++);
      if (c == '\r' && p < block_end && *p == '\n') {
        c = '\n';
        ++p;
        ++folded;
      }
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
      if (c == '\n') {
        line_break_read = true;
        break;
      }
    }
    const auto bytes = static_cast<std::size_t>(p - begin);
    line.chars_read += bytes - folded;
    file.consume(bytes);
  }
  if (state != phase::between) finish_token();
}

}  // namespace runcheck
