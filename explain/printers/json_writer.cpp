#include "explain/printers/json_writer.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "explain/report/encoding.h"

namespace runcheck::explain {

namespace {

// What a string holds that its writing must know: bytes from 0x80 on
// (made valid UTF-8 first), and control bytes from 0x18 to 0x1F.
// RapidJSON 1.1.0's 16-byte scan lets 0x1A to 0x1F through unescaped, in
// strings of 16 bytes or more: those strings are escaped here instead.
struct bytes_seen {
  bool non_ascii = false;
  bool late_control = false;
};

// Eight bytes at a time: a byte from 0x18 to 0x1F turns into one below 8
// by the exclusive or, and a byte below 8 sets its top bit in the
// difference where it had none (0x18 and 0x19 are taken too, and escaped
// alike).
bytes_seen scan(std::string_view text) {
  constexpr std::uint64_t ones = 0x0101010101010101;
  constexpr std::uint64_t tops = ones * 0x80;
  std::uint64_t high = 0;
  std::uint64_t control = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + i, 8);
    high |= word;
    word ^= ones * 0x18;
    control |= (word - ones * 8) & ~word;
  }
  for (; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    high |= byte;
    control |= (byte ^ 0x18U) < 8 ? tops : 0;
  }
  return {.non_ascii = (high & tops) != 0, .late_control = (control & tops) != 0};
}

}  // namespace

void json_writer::key(std::string_view name) { write_string(name, true); }

void json_writer::string(std::string_view text) { write_string(text, false); }

void json_writer::write_string(std::string_view text, bool is_key) {
  const bytes_seen seen = scan(text);
  std::string replaced;
  const std::string_view valid = seen.non_ascii ? valid_utf8(text, replaced) : text;
  if (seen.late_control && valid.size() >= 16) {
    writer_.escaped(valid);  // as Key() or String() would write it, rightly
  } else if (is_key) {
    writer_.Key(valid.data(), static_cast<rapidjson::SizeType>(valid.size()));
  } else {
    writer_.String(valid.data(), static_cast<rapidjson::SizeType>(valid.size()));
  }
}

}  // namespace runcheck::explain
