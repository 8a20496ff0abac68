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

// Grades the run files of `given` and hands each report to `printer`. Gives
// the worst of the files' statuses: 0 every test case passed, 1 one failed,
// 2 a check could not run.
int grade(const options& given, report_printer& printer) {
  const std::vector<std::string>& files = given.files;

  // The runs are generated once, for every run file.
  const auto line = std::make_unique<key_line>();
  stop why;
  test_case_file_watcher watcher;
  const std::optional<expected_runs> expected =
      generate_expected_runs(files[0].c_str(), *line, &watcher, why);
  test_case_file_notes notes;
  if (expected) notes = watcher.finish(files[0], *expected);
  const diagnosis_options options{.strict = given.strict};

  int status = 0;
  for (std::size_t f = 1; f < files.size(); ++f) {
    const file_summary summary =
        expected ? report_run_file(files[0], files[f], *expected, notes, options, *line, printer)
                 : report_stopped(files[0], files[f], why, printer);
    status = std::max(status, summary.status());
  }
  return status;
}

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
      return run_coverage(given.files[0], given.output == format::json, out);
    case options::action::make_tests:
      return run_make_tests(given.seed, out, err);
    case options::action::trace:
      return print_trace(given.files[0], given.trace, out, err);
    case options::action::check:
      break;
  }
  if (!given.roster.empty()) {
    err.put("runcheck-explain: --roster is not built yet\n");
    return 2;
  }
  // Each format's printer; the report is the same for all.
  switch (given.output) {
    case format::text: {
      text_printer text(out);
      const int status = grade(given, text);
      text.print_summaries();
      return status;
    }
    case format::json: {
      json_printer json_lines(out);
      return grade(given, json_lines);
    }
    case format::csv:
    case format::gradescope:
    case format::junit:
    case format::kattis:
    case format::testlib:
    case format::cms:
    case format::prairielearn:
    case format::html:
      break;
  }
  err.put("runcheck-explain: --format ").put(format_name(given.output)).put(" is not built yet\n");
  return 2;
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
