#include "explain/explain.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "explain/diagnosis.h"
#include "explain/json_printer.h"
#include "explain/options.h"
#include "explain/test_authoring.h"
#include "explain/text_printer.h"
#include "explain/trace.h"
#include "generation/expected_runs.h"

namespace runcheck::explain {

namespace {

int check(const options& given, output& out, output& err) {
  switch (given.what) {
    case options::action::help:
      out.put(usage).put(help);
      return 0;
    case options::action::version:
      out.put("runcheck-explain " RUNCHECK_VERSION "\n");
      return 0;
    case options::action::wrong:
      err.put("runcheck-explain: ").put(given.error).put("\n").put(usage);
      return 2;
    case options::action::coverage:
      return run_coverage(given.files[0], given.json, out);
    case options::action::make_tests:
      return run_make_tests(given.seed, out, err);
    case options::action::trace:
      return print_trace(given.files[0], given.trace, out, err);
    case options::action::check:
      break;
  }
  const std::vector<std::string>& files = given.files;
  const bool json = given.json;

  // The runs are generated once, for every run file.
  const auto line = std::make_unique<key_line>();
  stop why;
  test_case_file_watcher watcher;
  const std::optional<expected_runs> expected =
      generate_expected_runs(files[0].c_str(), *line, &watcher, why);
  test_case_file_notes notes;
  if (expected) notes = watcher.finish(files[0], *expected);
  const diagnosis_options options{.strict = given.strict};

  text_printer text(out);
  json_printer json_lines(out);
  report_printer* printer = &text;
  if (json) printer = &json_lines;
  int status = 0;
  for (std::size_t f = 1; f < files.size(); ++f) {
    const file_summary summary =
        expected ? report_run_file(files[0], files[f], *expected, notes, options, *line, *printer)
                 : report_stopped(files[0], files[f], why, *printer);
    status = std::max(status, summary.status());
  }
  if (!json) text.print_summaries();
  return status;
}

}  // namespace

int run(std::span<const std::string_view> args, output& out, output& err) {
  const options given = parse_options(args);
  const int status = check(given, out, err);
  // A grader must not take a lost report for a verdict.
  out.flush();
  if (out.failed()) {
    err.put("runcheck-explain: the output could not be written\n");
    return 2;
  }
  return status;
}

}  // namespace runcheck::explain
