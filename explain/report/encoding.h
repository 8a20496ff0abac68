// Bytes from the files made safe to show: as text for a terminal, where
// every byte that is not printable ASCII is spelt out, and as valid UTF-8
// for a JSON string.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/output.h"

namespace runcheck::explain {

// Length of the valid UTF-8 sequence at the start of `s` (s[0] >= 0x80), or
// 0 when there is none: no overlong forms, surrogates or values past U+10FFFF.
std::size_t utf8_sequence(std::string_view s);

// True when `text` holds a byte that is not printable ASCII, a tab aside.
bool has_other_bytes(std::string_view text);

// Printable ASCII as it stands; a tab as \t and every other byte (control
// bytes, DEL, and every byte from 0x80 on, such as the two of a no-break
// space) as \xNN, so that two texts that differ never look the same.
void put_escaped(output& out, std::string_view text);

// `text` with every byte that is not part of valid UTF-8 replaced by U+FFFD;
// `text` itself where it is valid, `replaced` holding the result otherwise.
std::string_view valid_utf8(std::string_view text, std::string& replaced);

// `text` as valid UTF-8 in XML 1.0 or HTML character data or a quoted attribute:
// & < > " ' as entities, control bytes but tab, CR and LF (which XML does not
// allow) and invalid UTF-8 as U+FFFD.
void put_xml_escaped(output& out, std::string_view text);

// `text` as one CSV field (RFC 4180), as valid UTF-8: quoted, with each
// quote doubled, where it holds a comma, a quote, CR or LF; after a quote
// mark (') where it starts with = + - @, a tab or CR, which a spreadsheet
// would take for a formula.
void put_csv_field(output& out, std::string_view text);

// The longest start of `text` of at most `size` bytes that does not cut a
// UTF-8 sequence in two.
std::string_view utf8_prefix(std::string_view text, std::size_t size);

}  // namespace runcheck::explain
