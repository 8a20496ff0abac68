// runcheck-explain: checks run files with runcheck's own reading, generation
// and checking, and says where each goes wrong, for people (text) and for
// graders (JSON and the exit status).
#pragma once

#include <span>
#include <string_view>

#include "platform/output.h"

namespace runcheck::explain {

// Runs the program on `args` (without the program's name): the report goes
// to `out`, usage errors to `err`. Gives the exit status: 0 when every test
// case of every run file passed (or for --help, --version and --trace), 1
// when one failed, 2 when a check could not run, the arguments are wrong or
// `out` could not be written (which is then said on `err`).
int run(std::span<const std::string_view> args, output& out, output& err);

}  // namespace runcheck::explain
