// The hand-back of --stress: what failed, the smallest failing file, the
// expected runs beside the program's, runcheck-explain's report on its run
// file, the seed and the command that runs it again; as text for a person
// or as one JSON document (docs/runcheck-explain.1 gives its fields).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "explain/report/report.h"
#include "explain/stress/stress.h"
#include "platform/output.h"

namespace runcheck::explain {

// runcheck-explain's report on the run file of a failure.
struct run_file_report {
  std::string text;  // as text, or as one JSON document without its line break
  // The faulty program recognised: the one that explains every failing
  // test case, or else the first failing test case's.
  std::optional<variant_match> variant;
};

// The report on `failure.last`'s run file against `failure.shrunk.file`,
// both written into `folder` to be read as runcheck-explain reads files.
// Nothing where the failure is not wrong runs.
std::optional<run_file_report> report_on(const stress_failure& failure, const std::string& folder,
                                         bool from_stdout, bool json);

// The command that runs the failing test again: runcheck-explain --stress
// with the seed and the test's number as --tests, then the program's.
std::vector<std::string> reproducing_command(const stress_run& run);

// The words of `command` as a shell reads them back, quoted where needed.
std::string command_line(const std::vector<std::string>& command);

void print_stress_text(output& out, const stress_run& run,
                       const std::optional<run_file_report>& report);
void print_stress_json(output& out, const stress_run& run,
                       const std::optional<run_file_report>& report);

}  // namespace runcheck::explain
