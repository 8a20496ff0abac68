// The formats a report is printed in, one row each: the one place that says
// what a format is called, how the help lists it, which printer writes it,
// its exit status, whether --audience applies and what it grades in one
// call. The help's list of formats, the message for a name that is none of
// them and the dispatch all read this table.
#pragma once

#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "explain/grading/grading_printers.h"
#include "explain/grading/judges.h"
#include "explain/report/report.h"
#include "platform/output.h"

namespace runcheck::explain {

enum class format {
  text,
  json,
  csv,
  gradescope,
  junit,
  kattis,
  testlib,
  cms,
  prairielearn,
  html,
  summary
};

// What a format grades in one call.
enum class form {
  run_files,     // any number of run files, named or listed in a roster
  one_run_file,  // one run file
  judge,         // one run file, a judge's arguments in its system's order
};

// A judge's arguments as its system passes them: INPUT (the test-case file)
// first; the answer it also passes is not read, as the expected runs are
// made from INPUT.
struct judge_arguments {
  std::string_view names;     // as a message names them
  int run_file = -1;          // the run file's place; -1: on standard input
  int feedback = -1;          // the place of the folder the messages go to; -1: none
  int report = -1;            // the place of a report file, which may be left out; -1: none
  bool more_allowed = false;  // more arguments may follow, which are not ours
};

// Where a judge's call wants its messages: the feedback folder, with its
// separator (or empty), and testlib's report file (or empty), as XML with
// -appes.
struct judge_call {
  std::string feedback;
  std::string report_file;
  bool appes = false;
};

// Writes a judge's messages where its system reads them, once its one run
// file is graded. False when they cannot be written, which is said on `err`.
using judge_delivery = bool (*)(const judge_printer& printer, const judge_call& call, output& out,
                                output& err);

// The printer of a format that is not a judge's, for a call whose test-case
// file is `test_case_file`; Gradescope's takes `results` too.
using printer_factory = std::unique_ptr<report_printer> (*)(output& out,
                                                            const std::string& test_case_file,
                                                            const results_settings& results);

struct format_row {
  format id = format::text;
  std::string_view name;  // on the command line
  std::string_view help;  // in the help's list of formats
  // The exit status for the worst of the run files: [0] every test case
  // passed, [1] one failed, [2] a check could not run.
  std::array<int, 3> exits{};
  int failure = 2;        // the arguments are wrong, or the report was not written
  bool audience = false;  // --audience decides what the report shows
  // A test-case file that cannot be used writes no report: the reason goes
  // to standard error and the status is `failure`, so that the grader shows
  // its own failure rather than a grade.
  bool unusable_tests_fail = false;
  // What the test-case file holds that will surprise its author (keys
  // outside -1..32767, a spent pass budget) is said once on standard error,
  // for the instructor, where the report has no place for it that only the
  // instructor reads.
  bool notes_on_stderr = false;
  form takes = form::run_files;
  judge_arguments arguments;          // a judge's
  printer_factory printer = nullptr;  // all but the judges
  judge_delivery deliver = nullptr;   // the judges
};

// Every format, in the order the help and the messages list them; text, the
// default, first.
std::span<const format_row> formats();

// The row of `f`; the row named `name`, or none.
const format_row& format_row_of(format f);
const format_row* format_named(std::string_view name);

// `items` as a list for a person: "a", "a or b", "a, b or c".
std::string spoken_list(std::span<const std::string_view> items);

}  // namespace runcheck::explain
