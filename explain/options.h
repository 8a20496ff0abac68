// runcheck-explain's command line, read into values.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace runcheck::explain {

struct options {
  enum class action { check, trace, coverage, make_tests, help, version, wrong };
  action what = action::check;
  bool json = false;
  bool strict = false;     // a warning fails its test case
  std::int64_t trace = 0;  // trace: the test case whose steps to print, from 1
  // The test-case file, then the run files (check), or the test-case file
  // alone (trace, coverage); the defaults fill in what is not given.
  std::vector<std::string> files;
  std::uint64_t seed = 1;  // make_tests
  std::string error;       // wrong: what is wrong, for a person
};

// Reads `args` (without the program's name). "--" ends the options; "-" is a
// file name.
options parse_options(std::span<const std::string_view> args);

// The usage line, and the whole help.
extern const std::string_view usage;
extern const std::string_view help;

}  // namespace runcheck::explain
