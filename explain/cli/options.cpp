#include "explain/cli/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <utility>

#include "check/run_file_checker.h"
#include "input/test_case.h"

namespace runcheck::explain {

const std::string_view usage =
    "usage: runcheck-explain [--format NAME] [--audience WHO] [--strict]\n"
    "                        [TEST_CASE_FILE [RUN_FILE...]]\n"
    "       runcheck-explain --roster ROSTER [--format NAME] [TEST_CASE_FILE]\n"
    "       runcheck-explain --format kattis INPUT ANSWER FEEDBACK_DIR < RUN_FILE\n"
    "       runcheck-explain --format testlib INPUT RUN_FILE ANSWER\n"
    "       runcheck-explain --format cms INPUT ANSWER RUN_FILE\n"
    "       runcheck-explain --trace N [TEST_CASE_FILE]\n"
    "       runcheck-explain --coverage [--json] [TEST_CASE_FILE]\n"
    "       runcheck-explain --make-tests [--seed N]\n";

namespace {

constexpr std::string_view help_before_formats =
    "\n"
    "Checks each RUN_FILE against the runs that replacement selection with a\n"
    "buffer of five records makes from the test cases in TEST_CASE_FILE, with\n"
    "runcheck's verdicts, and says where each run file goes wrong: the line, the\n"
    "run, the position and the keys, why the expected key comes next, and which\n"
    "faulty program writes such runs. Without files it reads replacement_input.txt\n"
    "and replacement_output.txt in the current folder; with TEST_CASE_FILE alone\n"
    "it checks replacement_output.txt.\n"
    "\n"
    "For the author of a test-case file, --coverage says which rules of\n"
    "replacement selection TEST_CASE_FILE exercises and which faulty programs it\n"
    "catches, and --make-tests writes a small test-case file that catches them all.\n"
    "\n";

constexpr std::string_view help_after_formats =
    "  --json        the same as --format json: one JSON document per run file,\n"
    "                one per line (JSON Lines)\n"
    "  --audience WHO\n"
    "                instructor (the default) or student: for a student, text,\n"
    "                json and html leave out the expected listing\n"
    "  --roster ROSTER\n"
    "                grade every submission that ROSTER names, one run file a line;\n"
    "                each is reported, a missing or unreadable one too\n"
    "  --strict      a warning fails its test case: numbers after a run's last key,\n"
    "                text after the last test case, keys outside -1..32767, a test\n"
    "                case stopped by the 500 passes\n"
    "  --trace N     print every step of test case N (from 1) of TEST_CASE_FILE:\n"
    "                the key read, the buffer, the key written and the run; no run\n"
    "                file is read\n"
    "  --coverage    report what TEST_CASE_FILE puts to the test; no run file\n"
    "  --make-tests  write a test-case file that catches every faulty program\n"
    "  --seed N      the seed of --make-tests' keys (default 1)\n"
    "  --help        print this help and exit\n"
    "  --version     print the version and exit\n"
    "\n"
    "Exit status: 0 every test case passed, 1 a test case failed, 2 the check\n"
    "could not run, the output could not be written or the arguments are wrong.\n"
    "With gradescope and prairielearn: 0 whenever the results are written. With\n"
    "kattis: 42 accepted, 43 wrong answer, 2 otherwise. With testlib: 0 accepted,\n"
    "1 wrong answer, 3 otherwise. With cms: 0 whenever the outcome is written.\n"
    "With --coverage: 0 every faulty program is caught, 1 one passes the file, 2\n"
    "the file cannot be used.\n";

// `text` as lines of at most `width` characters, each after `indent`, cut
// at spaces; the first line's indent is left to the caller.
std::string wrapped(std::string_view text, std::size_t indent, std::size_t width) {
  std::string lines;
  std::size_t column = indent;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (column > indent && column + 1 + word.size() > width) {
      lines.append("\n").append(indent, ' ');
      column = indent;
    } else if (column > indent) {
      lines += ' ';
      ++column;
    }
    lines += word;
    column += word.size();
  }
  return lines + "\n";
}

}  // namespace

options parse_options(std::span<const std::string_view> args) {
  options result;
  bool help_wanted = false;
  bool version_wanted = false;
  bool json = false;
  CLI::App app;
  app.set_help_flag();  // the help is ours
  app.allow_extras();   // unknown options are reported below, in our words
  app.add_flag("-h,--help", help_wanted);
  app.add_flag("--version", version_wanted);
  app.add_flag("--json", json);
  app.add_flag("--strict", result.strict);
  std::string format_given;
  std::string audience_given;
  const CLI::Option* format_option = app.add_option("--format", format_given);
  const CLI::Option* audience_option = app.add_option("--audience", audience_given);
  const CLI::Option* roster_option = app.add_option("--roster", result.roster);
  bool coverage = false;
  bool make_tests = false;
  app.add_flag("--coverage", coverage);
  app.add_flag("--make-tests", make_tests);
  std::string seed;
  const CLI::Option* seed_given = app.add_option("--seed", seed);
  app.add_option("--trace", result.trace);
  app.add_option("files", result.files);
  // Everything after "--" is a file, whatever it looks like; CLI11 reads
  // what comes before, and takes its arguments last first.
  const auto end_of_options = std::find(args.begin(), args.end(), "--");
  std::vector<std::string> reversed(std::make_reverse_iterator(end_of_options), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    return {.what = options::action::wrong, .error = e.what()};
  }
  if (help_wanted) return {.what = options::action::help};
  if (version_wanted) return {.what = options::action::version};
  if (!app.remaining().empty()) {
    return {.what = options::action::wrong, .error = "unknown option " + app.remaining().front()};
  }
  if (end_of_options != args.end())
    result.files.insert(result.files.end(), end_of_options + 1, args.end());
  // Wrong arguments keep the format asked for, whose exit status says so.
  const auto wrong = [&result](std::string error) {
    return options{
        .what = options::action::wrong, .output = result.output, .error = std::move(error)};
  };
  if (format_option->count() > 0) {
    const format_row* const named = format_named(format_given);
    if (named == nullptr) {
      std::vector<std::string_view> names;
      for (const format_row& row : formats()) names.push_back(row.name);
      return wrong("--format takes " + spoken_list(names) + ", not " + format_given);
    }
    result.output = named->id;
    if (json && result.output != format::json)
      return wrong("--json and --format " + format_given + " do not go together");
  } else if (json) {
    result.output = format::json;
  }
  const bool plain = result.output == format::text || result.output == format::json;
  if (audience_option->count() > 0) {
    if (audience_given == "student") {
      result.reader = audience::student;
    } else if (audience_given != "instructor") {
      return wrong("--audience takes student or instructor, not " + audience_given);
    }
    if (!format_row_of(result.output).audience)
      return wrong(
          "--audience goes with --format text, json or html; the other formats give "
          "each reader their own message");
  }
  if (coverage && make_tests) return wrong("--coverage and --make-tests do not go together");
  const bool trace = app.count("--trace") > 0;
  const bool roster = roster_option->count() > 0;
  if (result.strict && (coverage || make_tests || trace))
    return wrong("--strict goes with checking run files");
  if (trace && (coverage || make_tests))
    return wrong("--trace does not go with --coverage or --make-tests");
  if ((coverage || make_tests || trace) && (roster || audience_option->count() > 0))
    return wrong("--roster and --audience go with checking run files");
  if ((coverage || make_tests || trace) && !plain)
    return wrong("--format " + format_given + " goes with checking run files");
  if (seed_given->count() > 0) {
    if (!make_tests) return wrong("--seed goes with --make-tests");
    const char* const end = seed.data() + seed.size();
    const auto [stop, error] = std::from_chars(seed.data(), end, result.seed);
    if (error != std::errc() || stop != end || seed.empty())
      return wrong("--seed takes a whole number from 0 to 18446744073709551615, not " + seed);
  }
  if (make_tests) {
    if (result.output == format::json)
      return wrong("--make-tests writes a test-case file, not JSON");
    if (!result.files.empty()) return wrong("--make-tests reads no file");
    result.what = options::action::make_tests;
    return result;
  }
  const format_row& row = format_row_of(result.output);
  if (row.takes == form::judge) {
    if (roster) return wrong("--roster does not go with --format " + format_given);
    const judge_arguments& form = row.arguments;
    if (result.files.size() < 3 || (!form.more_allowed && result.files.size() != 3))
      return wrong("--format " + std::string(row.name) + " takes " + std::string(form.names));
    if (form.feedback >= 0)
      result.feedback_dir = result.files[static_cast<std::size_t>(form.feedback)];
    const std::string run_file = form.run_file < 0
                                     ? std::string("-")
                                     : result.files[static_cast<std::size_t>(form.run_file)];
    result.files = {result.files[0], run_file};
    return result;
  }
  if (result.files.empty()) result.files.emplace_back(default_test_case_file);
  if (trace) {
    if (result.trace < 1) return wrong("--trace needs a test case number from 1");
    if (result.files.size() > 1 || result.output == format::json)
      return wrong("--trace reads one test-case file, and writes no JSON");
    result.what = options::action::trace;
    return result;
  }
  if (coverage) {
    if (result.files.size() > 1) return wrong("--coverage reads one test-case file");
    result.what = options::action::coverage;
    return result;
  }
  if (roster) {
    if (result.files.size() > 1) return wrong("--roster takes the test-case file alone");
    if (row.takes == form::one_run_file)
      return wrong("--format " + format_given + " grades one run file, not a roster");
    return result;
  }
  if (result.files.size() == 1) result.files.emplace_back(default_run_file);
  if (row.takes == form::one_run_file && result.files.size() > 2)
    return wrong("--format " + format_given + " grades one run file");
  return result;
}

std::string help() {
  std::vector<std::string_view> names;
  for (const format_row& row : formats()) names.push_back(row.help);
  constexpr std::size_t indent = 16;
  constexpr std::size_t width = 78;
  return std::string(usage) + std::string(help_before_formats) + "  --format NAME " +
         wrapped(spoken_list(names) +
                     ": what the report is printed as, each with its system's exit status "
                     "(below)",
                 indent, width) +
         std::string(help_after_formats);
}

}  // namespace runcheck::explain
