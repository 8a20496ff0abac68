// runcheck-explain's command line, read into values.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "explain/cli/formats.h"
#include "explain/report/audience.h"
#include "explain/stress/stress.h"

namespace runcheck::explain {

struct options {
  enum class action { grade, trace, coverage, make_tests, stress, help, version, wrong };
  action what = action::grade;
  format output = format::text;
  audience reader = audience::instructor;
  bool strict = false;     // a warning fails its test case
  std::int64_t trace = 0;  // trace: the test case whose steps to print, from 1
  // The test-case file, then the run files (grade), or the test-case file
  // alone (trace, coverage, a roster); the defaults fill in what is not
  // given. A judge's run file on standard input is "-".
  std::vector<std::string> files;
  // grade: a file naming the submissions to grade, one a line; empty none.
  std::string roster;
  // grade: the folder of a course tool's bulk download; empty none.
  std::string submissions;
  // A judge's folder for its messages, as given; empty none.
  std::string feedback_dir;
  // testlib: the report file, empty none; with -appes, written as XML.
  std::string report_file;
  bool appes = false;
  std::uint64_t seed = 1;    // make_tests
  stress_options stress;     // stress: the program, and --seed, --tests, ... as given
  std::string extend;        // make_tests: the test-case file to add to; empty none
  bool minimize = false;     // coverage: write the fewest test cases that catch as much
  results_settings results;  // gradescope: --points and --visibility
  std::string error;         // wrong: what is wrong, for a person
};

// Reads `args` (without the program's name). An option's value is the next
// argument, whatever it is, or follows the option after "=" (--format=json).
// "--" ends the options; "-", and an argument that starts with "-" but not
// with a letter or "--", is a file. With --stress, what follows "--" is the
// program to run and its arguments. A judge's format takes its files in its
// system's order (formats.h), and `files` holds them as the test-case file
// and the run file.
options parse_options(std::span<const std::string_view> args);

// The usage lines, and the rest of the help.
extern const std::string_view usage;
std::string help();

}  // namespace runcheck::explain
