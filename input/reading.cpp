#include "input/reading.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
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

// The common token, one to seven digits followed by a space or a line feed,
// read eight bytes at a time. `p` must have eight readable bytes. Gives the
// number of digits and their value, or 0 digits when the token does not
// start so (no digit, or eight digits in a row): the general path reads it.
struct short_token {
  int digits = 0;
  std::uint32_t value = 0;
};

short_token read_short_token(const char* p) {
  if constexpr (std::endian::native != std::endian::little) {
    return {};
  } else {
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    // Byte by byte, a digit less '0' is 0..9: neither that value nor that
    // value plus 0x76 has its top bit set, while any other byte gives one or
    // the other. A borrow or carry between bytes starts at a byte that is
    // not a digit and only reaches the bytes after it, past the token.
    const std::uint64_t values = word - 0x3030303030303030;
    const std::uint64_t not_digit = (values | (values + 0x7676767676767676)) & 0x8080808080808080;
    const int digits = std::countr_zero(not_digit) / 8;
    if (digits == 0 || digits == 8) return {};
    // The digits' values moved to the top bytes, with zero bytes before them
    // as leading zeros, then combined in pairs, fours and eights.
    std::uint64_t v = values << (8 * (8 - digits));
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
        32;
    return {digits, static_cast<std::uint32_t>(v)};
  }
}

// Reads short tokens and the spaces between them from `p` on while eight
// bytes are left before `limit`; gives where it stopped: at the first other
// token, at `limit`'s last eight bytes, or after the line feed that ends a
// token (then `line_break_read` is set). Kept out of line: inlined, its
// loop shares registers with scan_key_line's and takes more instructions a
// token (bench/ measures it).
[[gnu::noinline]] const char* read_short_tokens(const char* p, const char* limit, key_line& line,
                                                bool& line_break_read) {
  std::size_t count = line.count;
  const char* const last_word = limit - 8;
  while (p <= last_word) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    // A single digit and a space, as in a run of equal small keys, is read
    // whole before the eight-byte test.
    const unsigned first = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (first < 10 && p[1] == ' ') {
      line.numbers[count++] = static_cast<std::int32_t>(first);
      p += 2;
      continue;
    }
    const short_token token = read_short_token(p);
    const char end = p[token.digits];
    if (token.digits == 0 || (end != ' ' && end != '\n')) break;
    line.numbers[count++] = static_cast<std::int32_t>(token.value);
    p += token.digits + 1;
    if (end == '\n') {
      line_break_read = true;
      break;
    }
  }
  line.count = count;
  return p;
}

}  // namespace

std::int64_t skip_to_text(text_reader& file) {
  skip_space(file);
  return file.at_end() ? -1 : file.offset();
}

std::int32_t scan_count(text_reader& file, std::int64_t* start, bool* number_read) {
  skip_space(file);
  if (start != nullptr) *start = file.offset();
  if (number_read != nullptr) *number_read = false;
  saturating_number number;
  std::string_view block = file.buffered();
  if (!block.empty() && (block[0] == '-' || block[0] == '+')) {
    number.negative = (block[0] == '-');
    file.consume(1);
    block = file.buffered();
  }
  if (block.empty() || !is_digit(block[0])) return 0;
  if (number_read != nullptr) *number_read = true;
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
  // space. The bulk of a key line, short digit tokens ended by a space or
  // the line feed, is read eight bytes at a time; runs of spaces and of
  // digits have loops of their own; every other character takes one step of
  // the phases.
  enum class phase { between, leading, sign_seen, digits, ignored };
  phase state = phase::between;
  saturating_number number;
  line.count = 0;
  line.chars_read = 0;

  // The count of numbers just after a blank token (one of white space
  // alone) was finished; short tokens are never blank.
  std::size_t blank_token_end = 0;
  auto finish_token = [&] {
    line.numbers[line.count++] = number.value();
    state = phase::between;
  };
  auto finish_any_token = [&] {
    if (state == phase::leading) blank_token_end = line.count + 1;
    finish_token();
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
        p = read_short_tokens(p, limit, line, line_break_read);
        if (line_break_read) break;
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
        if (state != phase::between) finish_any_token();
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
  if (state != phase::between) finish_any_token();
  line.last_token_blank = blank_token_end != 0 && blank_token_end == line.count;
  line.cut = !line_break_read && line.chars_read == read_str_size - 1 && !file.at_end();
}

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

bool reads_as_number(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_space(text[i])) ++i;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  return i < text.size() && is_digit(text[i]);
}

bool converts_whole(std::string_view token) {
  std::size_t i = !token.empty() && (token[0] == '-' || token[0] == '+') ? 1 : 0;
  const std::size_t digits = i;
  while (i < token.size() && is_digit(token[i])) ++i;
  if (i == digits) return false;
  while (i < token.size() && is_space(token[i])) ++i;
  return i == token.size();
}

}  // namespace runcheck
