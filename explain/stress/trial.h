// One trial of --stress: the program under test run on one test-case file
// in a fresh folder, and what came of it, classified.
//
// The folder holds replacement_input.txt, which the program also gets on
// standard input; the program's run file is the replacement_output.txt it
// leaves there, or what it prints (from_stdout), checked as runcheck checks
// a run file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "explain/report/report.h"
#include "explain/stress/test_files.h"

namespace runcheck::explain {

// Past this size a run file, or what the program prints to either stream,
// is too much: the program is ended. A test case's runs take a few
// kilobytes at most.
inline constexpr std::int64_t output_cap = std::int64_t{1} << 20;

// What a trial found, the worst first where several hold.
enum class failure_kind {
  none,             // the run file passed
  not_started,      // the program could not be started: not its failure
  interrupted,      // Ctrl-C: not its failure
  timed_out,        // still running at the time limit
  too_much_output,  // a run file, or standard output or error, past output_cap
  crashed,          // ended by a signal, or on Windows an exception
  exit_status,      // ended with an exit status other than 0
  no_run_file,      // no run file; with from_stdout, nothing printed
  wrong_runs,       // the run file fails runcheck's check
};

// The kind as an identifier, as in JSON: "wrong_runs".
std::string_view failure_name(failure_kind kind);

struct trial_setup {
  std::vector<std::string> command;  // the program and its arguments
  std::string session_folder;        // a temporary folder; each trial runs in a folder in it
  bool from_stdout = false;          // the run file is what the program prints
  double time_limit = 5;             // seconds
};

struct trial_result {
  failure_kind kind = failure_kind::none;
  // exit_status: the status; crashed: the signal or exception; too_much_output:
  // 0 standard output, 1 standard error, 2 the run file.
  std::int64_t code = 0;
  std::string why;  // not_started: why
  double seconds = 0;
  // The run file as checked (at most output_cap bytes); `has_run_file`
  // false where there was none.
  std::string run_file;
  bool has_run_file = false;
  std::int64_t printed = 0;                     // bytes printed to standard output
  std::string errors;                           // the last bytes it printed to standard error
  std::vector<std::int32_t> failed_test_cases;  // wrong_runs: from 0
  // wrong_runs: the faulty program recognised in the runs, as
  // runcheck-explain's report names it: the one that explains every failing
  // test case, or else the first that a failing test case is recognised as,
  // the test case `recognised_in` (from 0).
  std::optional<variant_match> recognised;
  std::optional<std::int32_t> recognised_in;

  // The same failure: the same kind, and the same status, crash or stream,
  // or for wrong runs the same faulty program recognised, or none.
  bool same_failure(const trial_result& other) const;
};

// The run file, under the name the program writes.
inline constexpr const char* run_file_name = "replacement_output.txt";

// Runs the program of `setup` on `file`.
trial_result run_trial(const trial_setup& setup, const test_case_file& file);

// runcheck-explain's report on the run file at `run_file` against the
// test-case file at `test_case_file`, handed to `printer`, all_files_ended
// included; false where the test-case file cannot be used.
bool report_files(const std::string& test_case_file, const std::string& run_file,
                  report_printer& printer);

// `text` (a run file) checked against the runs of `file`: the test cases
// that fail, from 0.
std::vector<std::int32_t> failing_test_cases(const test_case_file& file, std::string_view text);

}  // namespace runcheck::explain
