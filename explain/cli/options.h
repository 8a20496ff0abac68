// runcheck-explain's command line, read into values.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "explain/report/audience.h"

namespace runcheck::explain {

// What the report is printed as, for whom it is printed (format.h says what
// each writes, and its exit status).
enum class format {
  text,          // for people (the default)
  json,          // JSON Lines, one document per run file (--json)
  csv,           // one row per run file, under a header row
  gradescope,    // an autograder's results.json, on standard output
  junit,         // JUnit XML, one testsuite per run file
  kattis,        // an output validator: exit 42 or 43, messages in a feedback folder
  testlib,       // a contest checker: exit 0, 1 or 3, one message line
  cms,           // a comparator: the outcome from 0.0 to 1.0, one message line
  prairielearn,  // an external grader's results.json, on standard output
  html,          // a page (not built yet)
};

// The format's name on the command line, and back; false when none has it.
std::string_view format_name(format f);
bool format_named(std::string_view name, format& f);

// The exit status of `f` for `status`, the worst of the run files' (0 every
// test case passed, 1 one failed, 2 a check could not run); the one place
// where each format's convention lives.
int exit_status(format f, int status);

struct options {
  enum class action { check, trace, coverage, make_tests, help, version, wrong };
  action what = action::check;
  format output = format::text;
  audience reader = audience::instructor;
  bool strict = false;     // a warning fails its test case
  std::int64_t trace = 0;  // trace: the test case whose steps to print, from 1
  // The test-case file, then the run files (check), or the test-case file
  // alone (trace, coverage, a roster); the defaults fill in what is not
  // given. A run file "-" is standard input (kattis).
  std::vector<std::string> files;
  // check: a file naming the submissions to grade, one a line; empty none.
  std::string roster;
  // kattis: the folder that receives judgemessage.txt and teammessage.txt.
  std::string feedback_dir;
  std::uint64_t seed = 1;  // make_tests
  std::string error;       // wrong: what is wrong, for a person
};

// Reads `args` (without the program's name). "--" ends the options; "-" is a
// file name. The judge formats take their files in their system's order:
//   kattis   INPUT ANSWER FEEDBACK_DIR [MORE...]  (the run file on standard input)
//   testlib  INPUT RUN_FILE ANSWER
//   cms      INPUT ANSWER RUN_FILE
// and `files` holds them as the test-case file and the run file; the answer
// is not read, as the expected runs are generated from INPUT.
options parse_options(std::span<const std::string_view> args);

// The usage line, and the whole help.
extern const std::string_view usage;
extern const std::string_view help;

}  // namespace runcheck::explain
