// The report in words: what the text report, the HTML page and the graders'
// messages say of a run file and its test cases, written once. Bytes from
// the files are spelt out as put_escaped does (encoding.h); the files'
// names stand as given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "explain/report/report.h"
#include "platform/output.h"

namespace runcheck::explain {

// The lines under a test case's header: the faulty program recognised, the
// wrong count and the wrong runs with their hints and, for the first, why
// the expected key comes next; warnings; the note on where the file goes
// out of step. Each line is indented by two spaces and ends with a line
// break.
void put_test_case_text(output& out, const file_summary& summary, const test_case_report& report);

// What ends a test case's header (" failed", " passed, with a warning"),
// for a test case that failed, put the file out of step or has warnings.
std::string_view test_case_state(const test_case_report& report);

// Why the run file could not be checked (summary.stopped), with hints.
void put_stopped_text(output& out, const file_summary& summary);

// One warning's lines, the first after `lead`.
void put_warning(output& out, const file_summary& summary, const warning& w, std::string_view lead);

// Hints on what a whole file looks like, each on lines of its own after
// `indent`, naming the file as `file`.
void put_file_hints(output& out, const std::vector<file_hint>& hints, std::string_view file,
                    std::string_view indent);

// The run file's hints (summary.hints), said once per file.
void put_run_file_hints_text(output& out, const file_summary& summary);

// The hints said once that more lines called for (summary.repeated_hints),
// a line each: which, where said, and how many more lines.
void put_repeated_hints_text(output& out, const file_summary& summary);

// The verdict of a run file, at file_ended, with runcheck's counts:
// "PASS, 3 of 4 test cases passed", "FAIL, 0 of 4 test cases passed" or
// "STOPPED, the check could not run".
void put_verdict(output& out, const file_summary& summary);
inline constexpr std::string_view check_could_not_run = "the check could not run";

// "the first 1000 failing test cases are explained; 5 more are only
// reported", for a summary with failing test cases past those explained.
void put_unexplained(output& out, const file_summary& summary);

// Before the description of the faulty program recognised: in one test
// case, and in every failing one.
inline constexpr std::string_view these_are_the_runs_of = "these are the runs of ";
inline constexpr std::string_view every_failing_test_case_holds =
    "every failing test case holds the runs of";

// The n-th, for n from 1, so that nobody miscounts: "first" ... "tenth",
// then "11th", "21st", "22nd", "23rd", "111th".
std::string ordinal(std::int64_t n);

}  // namespace runcheck::explain
