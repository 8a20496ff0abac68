// What a line of a run file holds, said of its text as the check's reads
// take it; with the key-line read's tokens of reading.h.
#pragma once

#include <string_view>

#include "input/reading.h"

namespace runcheck::explain {

// True when `text` starts with what a count read takes as a number: a
// digit, after a sign or not.
bool starts_with_number(std::string_view text);

// True when the text holds a carriage return that no line feed follows.
bool lone_carriage_return(std::string_view text);

}  // namespace runcheck::explain
