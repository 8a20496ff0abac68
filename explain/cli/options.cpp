#include "explain/cli/options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <limits>
#include <optional>
#include <utility>

#include "check/run_file_checker.h"
#include "input/test_case.h"

namespace runcheck::explain {

namespace {

// The options, a row each.
enum class option_id {
  help,
  version,
  json,
  strict,
  coverage,
  make_tests,
  format,
  audience,
  roster,
  seed,
  trace,
  stress,
  tests,
  time_limit,
  from_stdout,
  minimize,
  extend,
  testset,
  group,
  appes,
  submissions,
  points,
  visibility
};

struct option_row {
  option_id id = option_id::help;
  std::string_view name;
  std::string_view alias;
  bool takes_value = false;
  bool may_be_empty = false;  // its value may be the empty string
  // What its value may be, for a person; for --format the table of formats
  // says it.
  std::string_view takes;
};

constexpr option_row option_rows[] = {
    {.id = option_id::help, .name = "--help", .alias = "-h"},
    {.id = option_id::version, .name = "--version"},
    {.id = option_id::json, .name = "--json"},
    {.id = option_id::strict, .name = "--strict"},
    {.id = option_id::coverage, .name = "--coverage"},
    {.id = option_id::make_tests, .name = "--make-tests"},
    {.id = option_id::format, .name = "--format", .takes_value = true},
    {.id = option_id::audience,
     .name = "--audience",
     .takes_value = true,
     .takes = "student or instructor"},
    {.id = option_id::roster,
     .name = "--roster",
     .takes_value = true,
     .takes = "the file that names the run files"},
    {.id = option_id::seed,
     .name = "--seed",
     .takes_value = true,
     .takes = "a whole number from 0 to 18446744073709551615"},
    {.id = option_id::trace,
     .name = "--trace",
     .takes_value = true,
     .takes = "a test case number from 1"},
    {.id = option_id::stress, .name = "--stress"},
    {.id = option_id::tests,
     .name = "--tests",
     .takes_value = true,
     .takes = "a whole number of test-case files from 1"},
    {.id = option_id::time_limit,
     .name = "--time-limit",
     .takes_value = true,
     .takes = "a number of seconds above 0, at most 3600"},
    {.id = option_id::from_stdout, .name = "--stdout"},
    {.id = option_id::minimize, .name = "--minimize"},
    {.id = option_id::extend,
     .name = "--extend",
     .takes_value = true,
     .takes = "the test-case file to add to"},
    // testlib's own: a judge names the test's set and group, which the
    // check does not need.
    {.id = option_id::testset, .name = "--testset", .takes_value = true, .takes = "a name"},
    {.id = option_id::group,
     .name = "--group",
     .takes_value = true,
     .may_be_empty = true,
     .takes = "a name"},
    {.id = option_id::appes, .name = "-appes", .alias = "-APPES"},
    {.id = option_id::submissions,
     .name = "--submissions",
     .takes_value = true,
     .takes = "the folder of a course tool's bulk download"},
    {.id = option_id::points,
     .name = "--points",
     .takes_value = true,
     .takes = "the assignment's points, a number above 0"},
    {.id = option_id::visibility,
     .name = "--visibility",
     .takes_value = true,
     .takes = "hidden, after_due_date, after_published or visible"},
};
constexpr std::size_t option_count = std::size(option_rows);  // one row per option_id, in order

std::string all_format_names() {
  std::vector<std::string_view> names;
  for (const format_row& row : formats()) names.push_back(row.name);
  return spoken_list(names);
}

std::string takes_text(const option_row& row) {
  return row.id == option_id::format ? all_format_names() : std::string(row.takes);
}

// The arguments as given, before any rule is applied.
struct arguments {
  std::array<int, option_count> count{};          // times each option is given
  std::array<std::string, option_count> value{};  // each one's value
  std::vector<std::string> files;
  std::size_t files_before_end = 0;  // of `files`, those before "--"
  std::string unknown;               // the first option that is none of ours
  std::string error;                 // the first option given wrongly, said for a person

  bool has(option_id id) const { return count[static_cast<std::size_t>(id)] > 0; }
  const std::string& operator[](option_id id) const { return value[static_cast<std::size_t>(id)]; }
};

bool is_option(std::string_view arg) {
  if (arg.size() > 2 && arg.starts_with("--")) return arg[2] != '-';
  return arg.size() > 1 && arg[0] == '-' &&
         ((arg[1] >= 'a' && arg[1] <= 'z') || (arg[1] >= 'A' && arg[1] <= 'Z'));
}

arguments read_arguments(std::span<const std::string_view> args) {
  arguments read;
  const auto end_of_options = std::find(args.begin(), args.end(), "--");
  const auto wrongly = [&read](std::string error) {
    if (read.error.empty()) read.error = std::move(error);
  };
  for (auto arg = args.begin(); arg != end_of_options; ++arg) {
    if (!is_option(*arg)) {
      read.files.emplace_back(*arg);
      continue;
    }
    const std::size_t equals = arg->find('=');
    const std::string_view name = arg->substr(0, equals);
    const auto* const row =
        std::find_if(std::begin(option_rows), std::end(option_rows), [&](const option_row& r) {
          return r.name == name || (!r.alias.empty() && r.alias == name);
        });
    if (row == std::end(option_rows)) {
      if (read.unknown.empty()) read.unknown = *arg;
      continue;
    }
    const auto i = static_cast<std::size_t>(row->id);
    if (++read.count[i] > 1 && row->takes_value)
      wrongly(std::string(row->name) + " is given more than once");
    if (!row->takes_value) {
      if (equals != std::string_view::npos) wrongly(std::string(row->name) + " takes no value");
      continue;
    }
    bool given = true;
    if (equals != std::string_view::npos) {
      read.value[i] = arg->substr(equals + 1);
    } else if (arg + 1 != end_of_options) {
      read.value[i] = *++arg;
    } else {
      given = false;
    }
    if (read.value[i].empty() && !(given && row->may_be_empty))
      wrongly(std::string(row->name) + " needs a value: " + takes_text(*row));
  }
  read.files_before_end = read.files.size();
  if (end_of_options != args.end())
    read.files.insert(read.files.end(), end_of_options + 1, args.end());
  return read;
}

// What the arguments ask for, as facts the rules below name.
using facts = std::uint64_t;
constexpr facts format_unknown = 1U << 0U;     // --format names no format
constexpr facts json_switch = 1U << 1U;        // --json
constexpr facts format_not_json = 1U << 2U;    // --format names a format but json
constexpr facts audience_unknown = 1U << 3U;   // --audience names neither reader
constexpr facts audience_given = 1U << 4U;     // --audience
constexpr facts format_one_reader = 1U << 5U;  // a format --audience does not apply to
constexpr facts coverage = 1U << 6U;           // --coverage
constexpr facts make_tests = 1U << 7U;         // --make-tests
constexpr facts trace = 1U << 8U;              // --trace
constexpr facts strict = 1U << 9U;             // --strict
constexpr facts roster = 1U << 10U;            // --roster
constexpr facts format_not_plain = 1U << 11U;  // a format but text and json
constexpr facts seed = 1U << 12U;              // --seed
constexpr facts seed_unreadable = 1U << 14U;   // --seed's value is no whole number in range
constexpr facts json_output = 1U << 15U;       // --json or --format json
constexpr facts a_file = 1U << 16U;            // a file named
constexpr facts two_files = 1U << 17U;         // two or more
constexpr facts three_files = 1U << 18U;       // three or more
constexpr facts judge = 1U << 19U;             // a judge's format
constexpr facts one_run_file = 1U << 20U;      // a format that grades one run file, not a judge's
constexpr facts trace_not_a_test_case = 1U << 21U;     // --trace's value is no number from 1
constexpr facts stress = 1U << 22U;                    // --stress
constexpr facts no_stress = 1U << 23U;                 // not --stress
constexpr facts stress_setting = 1U << 24U;            // --tests, --time-limit or --stdout
constexpr facts tests_unreadable = 1U << 25U;          // --tests' value is no whole number from 1
constexpr facts time_limit_unreadable = 1U << 26U;     // --time-limit's value is out of range
constexpr facts no_program = 1U << 27U;                // nothing after "--", or a file before it
constexpr facts seedless = 1U << 28U;                  // neither --make-tests nor --stress
constexpr facts minimize = 1U << 29U;                  // --minimize
constexpr facts no_coverage = 1U << 30U;               // not --coverage
constexpr facts extend = facts{1} << 31U;              // --extend
constexpr facts no_make_tests = facts{1} << 32U;       // not --make-tests
constexpr facts testlib_option = facts{1} << 33U;      // --testset, --group or -appes
constexpr facts format_not_testlib = facts{1} << 34U;  // a format but testlib
constexpr facts appes = facts{1} << 35U;               // -appes
constexpr facts no_report_file = facts{1} << 36U;      // fewer than four files
constexpr facts submissions = facts{1} << 37U;         // --submissions
constexpr facts gradescope_setting = facts{1} << 38U;  // --points or --visibility
constexpr facts format_not_gradescope = facts{1} << 39U;  // a format but gradescope
constexpr facts points_unreadable = facts{1} << 40U;      // --points' value is out of range
constexpr facts visibility_unknown = facts{1} << 41U;     // --visibility names no visibility
constexpr facts always = facts{1} << 63U;

// The rules of the command line, in the order they are checked: the first
// that holds is said. A rule holds where one of `first` and one of `second`
// hold together. In a message, {format}, {audience}, {seed}, {tests},
// {time limit}, {points} and {visibility} stand for the values given, {formats} for every format's
// name and {audience formats} for the names of those that --audience applies to.
struct rule {
  facts first = 0;
  facts second = 0;
  std::string_view message;
};

constexpr rule rules[] = {
    {format_unknown, always, "--format takes {formats}, not {format}"},
    {json_switch, format_not_json, "--json and --format {format} do not go together"},
    {audience_unknown, always, "--audience takes student or instructor, not {audience}"},
    {audience_given, format_one_reader,
     "--audience goes with --format {audience formats}; the other formats give each reader "
     "their own message"},
    {coverage, make_tests, "--coverage and --make-tests do not go together"},
    {stress, coverage | make_tests | trace,
     "--stress does not go with --coverage, --make-tests or --trace"},
    {strict, coverage | make_tests | trace | stress, "--strict goes with checking run files"},
    {trace, coverage | make_tests, "--trace does not go with --coverage or --make-tests"},
    {coverage | make_tests | trace | stress, roster | audience_given,
     "--roster and --audience go with checking run files"},
    {coverage | make_tests | trace | stress, submissions,
     "--submissions goes with checking run files"},
    {roster, submissions, "--roster and --submissions do not go together"},
    {coverage | make_tests | trace | stress, format_not_plain,
     "--format {format} goes with checking run files"},
    {seed, seedless, "--seed goes with --make-tests or --stress"},
    {minimize, no_coverage, "--minimize goes with --coverage"},
    {extend, no_make_tests, "--extend goes with --make-tests"},
    {seed_unreadable, always,
     "--seed takes a whole number from 0 to 18446744073709551615, not {seed}"},
    {stress_setting, no_stress, "--tests, --time-limit and --stdout go with --stress"},
    {tests_unreadable, always, "--tests takes a whole number from 1, not {tests}"},
    {time_limit_unreadable, always,
     "--time-limit takes a number of seconds above 0, at most 3600, not {time limit}"},
    {stress, no_program,
     "--stress runs the program named after --, as in: runcheck-explain --stress -- ./a.out"},
    {make_tests, json_output, "--make-tests writes a test-case file, not JSON"},
    {minimize, json_output, "--minimize writes a test-case file, not JSON"},
    {make_tests, a_file, "--make-tests reads no file"},
    {judge, roster, "--roster does not go with --format {format}"},
    {judge, submissions, "--submissions does not go with --format {format}"},
    {testlib_option, format_not_testlib, "--testset, --group and -appes go with --format testlib"},
    {appes, no_report_file,
     "-appes follows a report file: --format testlib INPUT RUN_FILE ANSWER REPORT -appes"},
    {gradescope_setting, format_not_gradescope,
     "--points and --visibility go with --format gradescope"},
    {points_unreadable, always,
     "--points takes a number above 0, at most 1000000, in decimal digits, not {points}"},
    {visibility_unknown, always,
     "--visibility takes hidden, after_due_date, after_published or visible, not {visibility}"},
    {trace_not_a_test_case, always, "--trace needs a test case number from 1"},
    {trace, two_files | json_output, "--trace reads one test-case file, and writes no JSON"},
    {coverage, two_files, "--coverage reads one test-case file"},
    {roster, two_files, "--roster takes the test-case file alone"},
    {roster, one_run_file, "--format {format} grades one run file, not a roster"},
    {submissions, two_files, "--submissions takes the test-case file alone"},
    {submissions, one_run_file, "--format {format} grades one run file, not a class"},
    {one_run_file, three_files, "--format {format} grades one run file"},
};

void replace_all(std::string& text, std::string_view name, std::string_view value) {
  for (std::size_t at = text.find(name); at != std::string::npos;
       at = text.find(name, at + value.size()))
    text.replace(at, name.size(), value);
}

// A rule's message, with the values given in place.
std::string message_of(const rule& r, const arguments& read) {
  std::string message(r.message);
  replace_all(message, "{format}", read[option_id::format]);
  replace_all(message, "{audience}", read[option_id::audience]);
  replace_all(message, "{seed}", read[option_id::seed]);
  replace_all(message, "{tests}", read[option_id::tests]);
  replace_all(message, "{time limit}", read[option_id::time_limit]);
  replace_all(message, "{points}", read[option_id::points]);
  replace_all(message, "{visibility}", read[option_id::visibility]);
  replace_all(message, "{formats}", all_format_names());
  std::vector<std::string_view> names;
  for (const format_row& f : formats())
    if (f.audience) names.push_back(f.name);
  replace_all(message, "{audience formats}", spoken_list(names));
  return message;
}

// --seed's value: a whole number from 0 to 2^64 - 1, written in digits.
std::optional<std::uint64_t> seed_of(std::string_view text) {
  std::uint64_t number = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || stop != text.data() + text.size()) return {};
  return number;
}

// --tests' value: a whole number from 1, written in digits.
std::optional<std::int64_t> tests_of(std::string_view text) {
  std::int64_t number = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || stop != text.data() + text.size() || number < 1)
    return {};
  return number;
}

// --time-limit's value: seconds above 0, at most an hour, in decimal digits
// ("5", "0.5").
std::optional<double> time_limit_of(std::string_view text) {
  constexpr double longest = 3600;
  double seconds = 0;
  const auto [stop, error] =
      std::from_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed);
  if (text.empty() || error != std::errc() || stop != text.data() + text.size() ||
      !(seconds > 0 && seconds <= longest))
    return {};
  return seconds;
}

// --points' value: above 0, at most a million, in decimal digits ("100",
// "12.5").
std::optional<double> points_of(std::string_view text) {
  constexpr double most = 1000000;
  double points = 0;
  const auto [stop, error] =
      std::from_chars(text.data(), text.data() + text.size(), points, std::chars_format::fixed);
  if (text.empty() || error != std::errc() || stop != text.data() + text.size() ||
      !(points > 0 && points <= most))
    return {};
  return points;
}

// --visibility's value: one of Gradescope's words.
bool is_visibility(std::string_view text) {
  return text == "hidden" || text == "after_due_date" || text == "after_published" ||
         text == "visible";
}

// --trace's value: digits, after a + perhaps. A number past the largest is
// no test case of any file, as the trace then says.
std::optional<std::int64_t> test_case_number_of(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  std::int64_t number = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || stop != text.data() + text.size() || text.starts_with('-')) return {};
  if (error == std::errc::result_out_of_range) return std::numeric_limits<std::int64_t>::max();
  return number;
}

// The facts that hold for `read`, whose format is `row`.
facts facts_of(const arguments& read, const format_row& row) {
  const format_row* const named = format_named(read[option_id::format]);
  const std::string& reader = read[option_id::audience];
  const std::optional<std::int64_t> test_case = test_case_number_of(read[option_id::trace]);
  const auto given = [&read](option_id id) { return read.has(id); };
  const std::pair<facts, bool> table[] = {
      {format_unknown, given(option_id::format) && named == nullptr},
      {json_switch, given(option_id::json)},
      {format_not_json, named != nullptr && named->id != format::json},
      {audience_unknown,
       given(option_id::audience) && reader != "student" && reader != "instructor"},
      {audience_given, given(option_id::audience)},
      {format_one_reader, !row.audience},
      {coverage, given(option_id::coverage)},
      {make_tests, given(option_id::make_tests)},
      {trace, given(option_id::trace)},
      {strict, given(option_id::strict)},
      {roster, given(option_id::roster)},
      {format_not_plain, row.id != format::text && row.id != format::json},
      {seed, given(option_id::seed)},
      {seed_unreadable, given(option_id::seed) && !seed_of(read[option_id::seed])},
      {json_output, row.id == format::json},
      {a_file, !read.files.empty()},
      {two_files, read.files.size() >= 2},
      {three_files, read.files.size() >= 3},
      {judge, row.takes == form::judge},
      {one_run_file, row.takes == form::one_run_file},
      {trace_not_a_test_case, given(option_id::trace) && (!test_case || *test_case < 1)},
      {stress, given(option_id::stress)},
      {no_stress, !given(option_id::stress)},
      {stress_setting,
       given(option_id::tests) || given(option_id::time_limit) || given(option_id::from_stdout)},
      {tests_unreadable, given(option_id::tests) && !tests_of(read[option_id::tests])},
      {time_limit_unreadable,
       given(option_id::time_limit) && !time_limit_of(read[option_id::time_limit])},
      {no_program, read.files_before_end > 0 || read.files.size() == read.files_before_end},
      {seedless, !given(option_id::make_tests) && !given(option_id::stress)},
      {minimize, given(option_id::minimize)},
      {no_coverage, !given(option_id::coverage)},
      {extend, given(option_id::extend)},
      {no_make_tests, !given(option_id::make_tests)},
      {testlib_option,
       given(option_id::testset) || given(option_id::group) || given(option_id::appes)},
      {format_not_testlib, row.id != format::testlib},
      {appes, given(option_id::appes)},
      {no_report_file, read.files.size() < 4},
      {submissions, given(option_id::submissions)},
      {gradescope_setting, given(option_id::points) || given(option_id::visibility)},
      {format_not_gradescope, row.id != format::gradescope},
      {points_unreadable, given(option_id::points) && !points_of(read[option_id::points])},
      {visibility_unknown,
       given(option_id::visibility) && !is_visibility(read[option_id::visibility])},
  };
  facts holds = always;
  for (const auto& [fact, when] : table)
    if (when) holds |= fact;
  return holds;
}

// `result`, a judge's call, with its files in place: the test-case file
// and the run file ("-": standard input); or why its arguments are wrong.
std::optional<std::string> place_judge_files(const format_row& row, options& result) {
  const judge_arguments& form = row.arguments;
  const std::size_t most = form.report >= 0 ? 4 : 3;
  if (result.files.size() < 3 || (!form.more_allowed && result.files.size() > most))
    return "--format " + std::string(row.name) + " takes " + std::string(form.names);
  if (form.feedback >= 0)
    result.feedback_dir = result.files[static_cast<std::size_t>(form.feedback)];
  if (form.report >= 0 && result.files.size() > static_cast<std::size_t>(form.report))
    result.report_file = result.files[static_cast<std::size_t>(form.report)];
  const std::string run_file =
      form.run_file < 0 ? std::string("-") : result.files[static_cast<std::size_t>(form.run_file)];
  result.files = {result.files[0], run_file};
  return {};
}

}  // namespace

options parse_options(std::span<const std::string_view> args) {
  const arguments read = read_arguments(args);
  options result;
  if (const format_row* const named = format_named(read[option_id::format])) {
    result.output = named->id;
  } else if (read.has(option_id::json)) {
    result.output = format::json;
  }
  // Wrong arguments keep the format asked for, whose exit status says so.
  const auto wrong = [&result](std::string error) {
    return options{
        .what = options::action::wrong, .output = result.output, .error = std::move(error)};
  };
  if (!read.error.empty()) return wrong(read.error);
  if (read.has(option_id::help)) return {.what = options::action::help};
  if (read.has(option_id::version)) return {.what = options::action::version};
  if (!read.unknown.empty()) return wrong("unknown option " + read.unknown);
  const format_row& row = format_row_of(result.output);
  const facts holds = facts_of(read, row);
  for (const rule& r : rules)
    if ((holds & r.first) != 0 && (holds & r.second) != 0) return wrong(message_of(r, read));

  result.strict = read.has(option_id::strict);
  result.appes = read.has(option_id::appes);
  if (read[option_id::audience] == "student") result.reader = audience::student;
  result.roster = read[option_id::roster];
  result.submissions = read[option_id::submissions];
  result.results = {.points = points_of(read[option_id::points]).value_or(0),
                    .visibility = read.has(option_id::visibility) ? read[option_id::visibility]
                                                                  : std::string("visible")};
  result.files = read.files;
  if (read.has(option_id::make_tests)) {
    result.what = options::action::make_tests;
    result.seed = seed_of(read[option_id::seed]).value_or(1);
    result.extend = read[option_id::extend];
    return result;
  }
  if (read.has(option_id::stress)) {
    result.what = options::action::stress;
    result.files.clear();
    result.stress = {
        .command = read.files,
        .seed = seed_of(read[option_id::seed]).value_or(0),
        .seed_given = read.has(option_id::seed),
        .tests = tests_of(read[option_id::tests]).value_or(result.stress.tests),
        .time_limit = time_limit_of(read[option_id::time_limit]).value_or(result.stress.time_limit),
        .time_limit_given = read.has(option_id::time_limit),
        .from_stdout = read.has(option_id::from_stdout),
        .json = result.output == format::json};
    return result;
  }
  if (row.takes == form::judge) {
    if (std::optional<std::string> error = place_judge_files(row, result)) return wrong(*error);
    return result;
  }
  if (result.files.empty()) result.files.emplace_back(default_test_case_file);
  if (read.has(option_id::trace)) {
    result.what = options::action::trace;
    result.trace = *test_case_number_of(read[option_id::trace]);
    return result;
  }
  if (read.has(option_id::coverage)) {
    result.what = options::action::coverage;
    result.minimize = read.has(option_id::minimize);
    return result;
  }
  if (result.files.size() == 1 && result.roster.empty() && result.submissions.empty())
    result.files.emplace_back(default_run_file);
  return result;
}

}  // namespace runcheck::explain
