// The one JSON writer of runcheck-explain: the report's JSON Lines, the
// autograders' results files and the coverage report are all written
// through it. Text goes into a buffer of the writer's own, which the caller
// hands on (flush_to) as often as it likes; every string is made valid UTF-8
// first (encoding.h), so the JSON is valid whatever bytes the files held.
//
// The fast path: RapidJSON's writer puts numbers, names and literals in one
// byte at a time; this one copies them in whole (names quoted when the
// program is compiled, numbers by std::to_chars), keeping RapidJSON's count
// of values as ever. For that it uses rapidjson::Writer's protected members
// (Prefix, EndValue, os_, level_stack_ and its Level) as RapidJSON 1.1.0,
// Debian's rapidjson-dev, has them; nothing else in the program reaches
// into them. The static_assert below stops a build against another version.
#pragma once

// Strings are copied 16 bytes at a time where every x86-64 processor can;
// set here, before RapidJSON's headers, so that every file that writes JSON
// compiles RapidJSON alike. That scan in 1.1.0 lets the control bytes 0x1A
// to 0x1F through unescaped (its mask says 0x19 where it means 0x1F): the
// strings that hold one are escaped here instead (json_writer::string).
#if defined(__SSE2__) || defined(_M_X64)
#define RAPIDJSON_SSE2
#endif
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/output.h"

static_assert(RAPIDJSON_MAJOR_VERSION == 1 && RAPIDJSON_MINOR_VERSION == 1 &&
                  RAPIDJSON_PATCH_VERSION == 0,
              "json_writer.h relies on rapidjson::Writer's protected members as in 1.1.0");

namespace runcheck::explain {

// A member's name, quoted when the program is compiled: the names are the
// printers' own and need no escaping. Not explicit: a string literal is the
// template argument (json_printer.cpp's field<"line">(w, 3)).
template <std::size_t n>
struct quoted_name {
  std::array<char, n + 1> text{};  // the name between quotes, without the terminating NUL
  // cppcheck-suppress noExplicitConstructor
  consteval quoted_name(const char (&name)[n]) {  // NOLINT(google-explicit-constructor)
    text[0] = '"';
    for (std::size_t i = 0; i + 1 < n; ++i) text[i + 1] = name[i];
    text[n] = '"';
  }
  constexpr std::string_view quoted() const { return {text.data(), text.size()}; }
};

namespace json_detail {

// RapidJSON's writer with the fast path: values that need no escaping
// copied into the buffer in whole.
class fast_writer final : public rapidjson::Writer<rapidjson::StringBuffer> {
 public:
  using Writer::Writer;

  // JSON text of one value (a quoted name, null, a literal), as it stands.
  void raw(std::string_view text, rapidjson::Type type) {
    Prefix(type);
    std::memcpy(os_->Push(text.size()), text.data(), text.size());
    EndValue(true);
  }

  // A string that needs no escaping, quoted.
  void identifier(std::string_view text) {
    Prefix(rapidjson::kStringType);
    char* p = os_->Push(text.size() + 2);
    p[0] = '"';
    std::memcpy(p + 1, text.data(), text.size());
    p[text.size() + 1] = '"';
    EndValue(true);
  }

  void integer(std::int64_t value) {
    Prefix(rapidjson::kNumberType);
    constexpr std::size_t room = 20;  // "-9223372036854775808"
    char* const p = os_->Push(room);
    char* const end = std::to_chars(p, p + room, value).ptr;
    os_->Pop(room - static_cast<std::size_t>(end - p));
    EndValue(true);
  }

  // A string escaped as RapidJSON escapes one: a quote and a backslash
  // after a backslash, a control byte as \b \t \n \f \r or \u00XX.
  void escaped(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    Prefix(rapidjson::kStringType);
    const std::size_t room = text.size() * 6 + 2;
    char* const start = os_->Push(room);
    char* p = start;
    *p++ = '"';
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (c == '"' || c == '\\') {
        *p++ = '\\';
        *p++ = c;
      } else if (byte >= 0x20) {
        *p++ = c;
      } else {
        *p++ = '\\';
        static constexpr char named[] = {'b', 't', 'n', 0, 'f', 'r'};  // 0x08 to 0x0D, 0x0B none
        if (byte >= 0x08 && byte <= 0x0D && byte != 0x0B) {
          *p++ = named[byte - 0x08];
        } else {
          *p++ = 'u';
          *p++ = '0';
          *p++ = '0';
          *p++ = hex[byte >> 4U];
          *p++ = hex[byte & 15U];
        }
      }
    }
    *p++ = '"';
    os_->Pop(room - static_cast<std::size_t>(p - start));
    EndValue(true);
  }

  // A member of an object: its name, already quoted, and the value that
  // `put` writes at the pointer it is given, in at most `room` bytes (it
  // gives the end of what it wrote).
  template <class put_value>
  void member(std::string_view quoted_name, std::size_t room, const put_value& put) {
    Prefix(rapidjson::kStringType);                    // the comma before the name
    ++level_stack_.template Top<Level>()->valueCount;  // the value, after the colon put here
    char* const p = os_->Push(quoted_name.size() + 1 + room);
    std::memcpy(p, quoted_name.data(), quoted_name.size());
    p[quoted_name.size()] = ':';
    char* const start = p + quoted_name.size() + 1;
    os_->Pop(room - static_cast<std::size_t>(put(start) - start));
  }
};

}  // namespace json_detail

class json_writer {
 public:
  json_writer() = default;
  json_writer(const json_writer&) = delete;
  json_writer& operator=(const json_writer&) = delete;

  void start_object() { writer_.StartObject(); }
  void end_object() { writer_.EndObject(); }
  void start_array() { writer_.StartArray(); }
  void end_array() { writer_.EndArray(); }

  // A member's name, escaped as a string is.
  void key(std::string_view name);
  // Any bytes, as a string: valid UTF-8 (each byte that is not part of it
  // as U+FFFD), escaped.
  void string(std::string_view text);
  // A string that is one of the printers' own identifiers: nothing to escape.
  void identifier(std::string_view text) { writer_.identifier(text); }
  void integer(std::int64_t value) { writer_.integer(value); }
  // A fraction as RapidJSON writes a double: "0.75", "1.0".
  void number(double value) { writer_.Double(value); }
  void boolean(bool value) {
    writer_.raw(value ? "true" : "false", value ? rapidjson::kTrueType : rapidjson::kFalseType);
  }
  void null() { writer_.raw("null", rapidjson::kNullType); }

  // The fast path's two steps, for the templates below: a name already
  // quoted, which needs no escaping; a member whose name is already quoted
  // and whose value `put` writes in place, in at most `room` bytes.
  void quoted_key(std::string_view quoted) { writer_.raw(quoted, rapidjson::kStringType); }
  template <class put_value>
  void member(std::string_view quoted, std::size_t room, const put_value& put) {
    writer_.member(quoted, room, put);
  }

  // The text written since the last flush.
  std::size_t size() const { return buffer_.GetSize(); }
  std::string_view text() const { return {buffer_.GetString(), buffer_.GetSize()}; }
  // Puts the text written to `out`, and forgets it; the document goes on.
  void flush_to(output& out) {
    out.put(text());
    buffer_.Clear();
  }

 private:
  void write_string(std::string_view text, bool is_key);

  rapidjson::StringBuffer buffer_;
  json_detail::fast_writer writer_{buffer_};
};

}  // namespace runcheck::explain
