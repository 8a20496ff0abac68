// --stress: a student's program run on many test-case files, and the
// smallest file it gets wrong handed back.
//
// The program runs on the files of the seed's series (test_files.h), one
// trial each (trial.h), until one fails or the tests run out. The first
// failure is shrunk (shrink.h) to a 1-minimal file that fails the same way,
// which is saved as stress-failure.txt in the current folder and handed
// back with the expected runs beside the program's, runcheck-explain's
// report on its run file, the seed and the command that runs it again.
// Everything else happens in a temporary folder, removed on every path,
// Ctrl-C included.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "explain/stress/shrink.h"
#include "explain/stress/test_files.h"
#include "explain/stress/trial.h"
#include "platform/output.h"

namespace runcheck::explain {

// The file the smallest failing test-case file is saved as.
inline constexpr const char* stress_failure_file = "stress-failure.txt";

struct stress_options {
  std::vector<std::string> command;  // the program and its arguments, as given
  std::uint64_t seed = 0;
  bool seed_given = false;  // else one is drawn, and said
  std::int64_t tests = 200;
  double time_limit = 5;  // seconds
  bool time_limit_given = false;
  bool from_stdout = false;  // the run file is what the program prints
  bool json = false;
};

// What a stress run found, for the hand-back.
struct stress_failure {
  std::int64_t test = 0;  // the test that failed, from 1
  test_case_file found;   // its file
  trial_result first;     // the trial on it
  shrink_result shrunk;
  trial_result last;  // the trial on shrunk.file
  // A time-out shrunk with a shorter limit did not time out on the smallest
  // file with the whole limit: the file as found is handed back.
  bool slow_not_stuck = false;
  bool saved = false;  // stress-failure.txt written
};

struct stress_run {
  stress_options options;
  std::int64_t tests_run = 0;
  std::optional<stress_failure> failure;
};

// Runs --stress: the hand-back, or the tests passed, to `out` (text, or one
// JSON document), what stops it to `err`. Gives 0 when no test failed, 1
// when one did, 2 when the program could not be run (it cannot be started,
// no temporary folder, an interrupt).
int run_stress(const stress_options& options, output& out, output& err);

}  // namespace runcheck::explain
