#include "explain/explain.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "check/run_file_checker.h"
#include "explain/diagnosis.h"
#include "explain/json_printer.h"
#include "explain/text_printer.h"
#include "generation/expected_runs.h"
#include "input/test_case.h"

namespace runcheck::explain {

namespace {

constexpr std::string_view usage =
    "usage: runcheck-explain [--json] [TEST_CASE_FILE [RUN_FILE...]]\n";

constexpr std::string_view help =
    "\n"
    "Checks each RUN_FILE against the runs that replacement selection with a\n"
    "buffer of five records makes from the test cases in TEST_CASE_FILE, with\n"
    "runcheck's verdicts, and says where each run file goes wrong: the line, the\n"
    "run, the position and the keys. Without files it reads replacement_input.txt\n"
    "and replacement_output.txt in the current folder; with TEST_CASE_FILE alone\n"
    "it checks replacement_output.txt.\n"
    "\n"
    "  --json     one JSON document per run file, one per line\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "Exit status: 0 every test case passed, 1 a test case failed, 2 the check\n"
    "could not run or the arguments are wrong.\n";

}  // namespace

int run(std::span<const std::string_view> args, output& out, output& err) {
  bool json = false;
  bool options_done = false;
  std::vector<std::string> files;
  for (const std::string_view arg : args) {
    if (options_done || !arg.starts_with('-') || arg == "-") {
      files.emplace_back(arg);
    } else if (arg == "--") {
      options_done = true;
    } else if (arg == "--json") {
      json = true;
    } else if (arg == "--help" || arg == "-h") {
      out.put(usage).put(help);
      return 0;
    } else if (arg == "--version") {
      out.put("runcheck-explain " RUNCHECK_VERSION "\n");
      return 0;
    } else {
      err.put("runcheck-explain: unknown option ").put(arg).put("\n").put(usage);
      return 2;
    }
  }
  if (files.empty()) files.emplace_back(default_test_case_file);
  if (files.size() == 1) files.emplace_back(default_run_file);

  // The runs are generated once, for every run file.
  const auto line = std::make_unique<key_line>();
  stop why;
  const std::optional<run_table> table =
      generate_expected_runs(files[0].c_str(), *line, nullptr, why);

  text_printer text(out);
  json_printer json_lines(out);
  report_printer* printer = &text;
  if (json) printer = &json_lines;
  int status = 0;
  for (std::size_t f = 1; f < files.size(); ++f) {
    const file_summary summary = table
                                     ? report_run_file(files[0], files[f], *table, *line, *printer)
                                     : report_stopped(files[0], files[f], why, *printer);
    status = std::max(status, summary.status());
  }
  if (!json) text.print_summaries();
  return status;
}

}  // namespace runcheck::explain
