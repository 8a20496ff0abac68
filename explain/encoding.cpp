#include "explain/encoding.h"

#include <algorithm>
#include <cstdint>

namespace runcheck::explain {

namespace {

constexpr char hex_digits[] = "0123456789abcdef";

}  // namespace

std::size_t utf8_sequence(std::string_view s) {
  const auto lead = static_cast<unsigned char>(s[0]);
  std::size_t n = 0;
  std::uint32_t value = 0;
  if (lead >= 0xc2 && lead <= 0xdf) {
    n = 2;
    value = lead & 0x1fU;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    n = 3;
    value = lead & 0x0fU;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    n = 4;
    value = lead & 0x07U;
  } else {
    return 0;
  }
  if (s.size() < n) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto c = static_cast<unsigned char>(s[k]);
    if ((c & 0xc0U) != 0x80U) return 0;
    value = (value << 6U) | (c & 0x3fU);
  }
  if (n == 3 && (value < 0x800 || (value >= 0xd800 && value <= 0xdfff))) return 0;
  if (n == 4 && (value < 0x10000 || value > 0x10ffff)) return 0;
  return n;
}

void put_escaped(output& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c >= 0x80 ? utf8_sequence(text.substr(i)) : 1;
    if (c == '\t') {
      out.put("\\t");
    } else if (c < 0x20 || c == 0x7f || n == 0) {
      out.put("\\x").put(hex_digits[c >> 4]).put(hex_digits[c & 15]);
    } else {
      out.put(text.substr(i, n));
    }
    i += std::max<std::size_t>(n, 1);
  }
}

void put_json_string(output& out, std::string_view text) {
  out.put('"');
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t n = utf8_sequence(text.substr(i));
      out.put(n > 0 ? text.substr(i, n) : "\\ufffd");
      i += std::max<std::size_t>(n, 1);
      continue;
    }
    if (c == '"' || c == '\\') {
      out.put('\\').put(text[i]);
    } else if (c == '\n') {
      out.put("\\n");
    } else if (c == '\t') {
      out.put("\\t");
    } else if (c == '\r') {
      out.put("\\r");
    } else if (c < 0x20) {
      out.put("\\u00").put(hex_digits[c >> 4]).put(hex_digits[c & 15]);
    } else {
      out.put(text[i]);
    }
    ++i;
  }
  out.put('"');
}

}  // namespace runcheck::explain
