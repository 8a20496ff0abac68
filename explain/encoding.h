// Bytes from the files made safe to print: as text for a terminal, and as a
// JSON string. Whatever a file or a file name holds, the result is valid
// UTF-8 and shows every byte that is not printable.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/output.h"

namespace runcheck::explain {

// Length of the valid UTF-8 sequence at the start of `s` (s[0] >= 0x80), or
// 0 when there is none: no overlong forms, surrogates or values past U+10FFFF.
std::size_t utf8_sequence(std::string_view s);

// Printable text as it stands; a tab as \t, and control bytes, DEL and
// bytes that are not valid UTF-8 as \xNN.
void put_escaped(output& out, std::string_view text);

// `text` as a quoted JSON string. Bytes that are not valid UTF-8 become
// U+FFFD.
void put_json_string(output& out, std::string_view text);

}  // namespace runcheck::explain
