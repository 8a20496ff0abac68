#include "explain/report/encoding.h"

#include <algorithm>
#include <cstdint>

namespace runcheck::explain {

namespace {

constexpr char hex_digits[] = "0123456789abcdef";

bool printable(unsigned char c) { return c >= 0x20 && c < 0x7f; }

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

bool has_other_bytes(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return c != '\t' && !printable(static_cast<unsigned char>(c)); });
}

void put_escaped(output& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (printable(c)) {
      // The printable bytes from here on, at once.
      std::size_t end = i + 1;
      while (end < text.size() && printable(static_cast<unsigned char>(text[end]))) ++end;
      out.put(text.substr(i, end - i));
      i = end - 1;
    } else if (c == '\t') {
      out.put("\\t");
    } else {
      out.put("\\x").put(hex_digits[c >> 4U]).put(hex_digits[c & 15U]);
    }
  }
}

std::string_view valid_utf8(std::string_view text, std::string& replaced) {
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return text;
  // The first byte that is not part of valid UTF-8; the text is given back
  // as it stands when there is none.
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c >= 0x80 ? utf8_sequence(text.substr(i)) : 1;
    if (n == 0) break;
    i += n;
  }
  if (i == text.size()) return text;
  replaced.assign(text.substr(0, i));
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c >= 0x80 ? utf8_sequence(text.substr(i)) : 1;
    replaced.append(n > 0 ? text.substr(i, n) : "\xEF\xBF\xBD");
    i += std::max<std::size_t>(n, 1);
  }
  return replaced;
}

void put_xml_escaped(output& out, std::string_view text) {
  std::string replaced;
  const std::string_view valid = valid_utf8(text, replaced);
  for (const char c : valid) {
    switch (c) {
      case '&':
        out.put("&amp;");
        break;
      case '<':
        out.put("&lt;");
        break;
      case '>':
        out.put("&gt;");
        break;
      case '"':
        out.put("&quot;");
        break;
      case '\'':
        out.put("&apos;");
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          out.put("\xEF\xBF\xBD");
        } else {
          out.put(c);
        }
    }
  }
}

void put_csv_field(output& out, std::string_view text) {
  std::string replaced;
  const std::string_view valid = valid_utf8(text, replaced);
  // A spreadsheet runs a cell that starts with one of these as a formula;
  // a quote mark before it makes the cell text.
  const bool formula =
      !valid.empty() && std::string_view("=+-@\t\r").find(valid[0]) != std::string_view::npos;
  if (valid.find_first_of(",\"\r\n") == std::string_view::npos) {
    if (formula) out.put('\'');
    out.put(valid);
    return;
  }
  out.put('"');
  if (formula) out.put('\'');
  for (const char c : valid) {
    if (c == '"') out.put('"');
    out.put(c);
  }
  out.put('"');
}

std::string_view utf8_prefix(std::string_view text, std::size_t size) {
  if (text.size() <= size) return text;
  std::size_t end = size;
  // Back over continuation bytes to the start of the sequence cut.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0U) == 0x80U) --end;
  return text.substr(0, end);
}

}  // namespace runcheck::explain
