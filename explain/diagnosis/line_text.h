// What a line of a run file holds, said of its text as the check's reads
// cut it: a key-line read cuts tokens at spaces only, a count read takes an
// optionally signed number.
#pragma once

#include <cstddef>
#include <string_view>

namespace runcheck::explain {

// The number of the text's tokens, as a key-line read cuts them.
std::size_t token_count(std::string_view text);

// The first of those tokens; empty when there is none.
std::string_view first_token(std::string_view text);

// True when `text` starts with what a count read takes as a number: a
// digit, after a sign or not.
bool starts_with_number(std::string_view text);

// True when the text holds a carriage return that no line feed follows.
bool lone_carriage_return(std::string_view text);

}  // namespace runcheck::explain
