// runcheck-explain's command line: the table of formats against each
// grading system's rules, the help and the messages against the table, and
// every pair of options either taken together or refused with its message.
#include "explain/cli/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "explain/cli/formats.h"

namespace runcheck::explain {
namespace {

options parsed(const std::vector<std::string_view>& args) { return parse_options(args); }

// How each system reads a checker's exit status, from its documentation:
// exits[0] every test case passed, [1] one failed, [2] the check could not
// run; `failure` for wrong arguments or a report not written.
TEST(formats, exit_status_follows_each_system) {
  using rule = std::function<void(const format_row&)>;
  const rule people_and_ci = [](const format_row& row) {
    // 0 passed, 1 failed, 2 anything else: a shell's and a CI job's reading.
    EXPECT_EQ((std::array<int, 3>{0, 1, 2}), row.exits);
    EXPECT_EQ(2, row.failure);
  };
  const rule autograder = [](const format_row& row) {
    // Results are written whatever the verdict; a non-zero exit would stop
    // a grading script before it hands them on.
    EXPECT_EQ((std::array<int, 3>{0, 0, 0}), row.exits);
    EXPECT_NE(0, row.failure);
  };
  const std::map<std::string_view, rule> systems = {
      {"text", people_and_ci},
      {"json", people_and_ci},
      {"csv", people_and_ci},
      {"junit", people_and_ci},
      {"html", people_and_ci},
      {"summary", people_and_ci},
      {"gradescope", autograder},
      {"prairielearn", autograder},
      // An output validator: 42 accepted, 43 wrong answer, any other status
      // the judge's error.
      {"kattis",
       [](const format_row& row) {
         EXPECT_EQ(42, row.exits[0]);
         EXPECT_EQ(43, row.exits[1]);
         for (const int status : {row.exits[2], row.failure}) {
           EXPECT_NE(42, status);
           EXPECT_NE(43, status);
         }
       }},
      // A contest checker: 0 accepted, 1 wrong answer, 3 the checker failed;
      // 2 would blame the contestant (a presentation error).
      {"testlib",
       [](const format_row& row) {
         EXPECT_EQ((std::array<int, 3>{0, 1, 3}), row.exits);
         EXPECT_EQ(3, row.failure);
       }},
      // A comparator: any status but 0 is the checker's own failure, so a
      // wrong answer exits 0 and a check that cannot run does not.
      {"cms",
       [](const format_row& row) {
         EXPECT_EQ(0, row.exits[0]);
         EXPECT_EQ(0, row.exits[1]);
         EXPECT_NE(0, row.exits[2]);
         EXPECT_NE(0, row.failure);
       }},
  };
  EXPECT_EQ(systems.size(), formats().size());
  for (const format_row& row : formats()) {
    SCOPED_TRACE(std::string(row.name));
    const auto system = systems.find(row.name);
    ASSERT_NE(system, systems.end()) << "a format without its system's rules here";
    system->second(row);
  }
}

TEST(formats, rows_are_whole) {
  std::set<std::string_view> names;
  for (const format_row& row : formats()) {
    SCOPED_TRACE(std::string(row.name));
    EXPECT_TRUE(names.insert(row.name).second) << "two formats of one name";
    EXPECT_EQ(&row, format_named(row.name));
    EXPECT_EQ(&row, &format_row_of(row.id));
    EXPECT_TRUE(row.help.starts_with(row.name));
    // A judge's messages are delivered; every other format has a printer.
    const bool judge = row.takes == form::judge;
    EXPECT_EQ(judge, row.deliver != nullptr);
    EXPECT_EQ(judge, row.printer == nullptr);
    if (!judge) continue;
    // Its places are among the three arguments, after INPUT, and apart; a
    // run file on standard input leaves its copy in the feedback folder.
    const judge_arguments& a = row.arguments;
    EXPECT_TRUE(a.run_file == -1 || (a.run_file >= 1 && a.run_file <= 2));
    EXPECT_TRUE(a.feedback == -1 || (a.feedback >= 1 && a.feedback <= 2));
    EXPECT_TRUE(a.run_file != a.feedback);
    if (a.run_file < 0) {
      EXPECT_GE(a.feedback, 1);
    }
  }
  EXPECT_EQ(format::text, formats()[0].id) << "the default comes first";
  EXPECT_EQ(nullptr, format_named("TEXT"));
  EXPECT_EQ(nullptr, format_named(""));
}

TEST(formats, spoken_list) {
  const std::vector<std::string_view> items = {"a", "b", "c", "d"};
  const std::string_view want[] = {"", "a", "a or b", "a, b or c", "a, b, c or d"};
  for (std::size_t n = 0; n <= items.size(); ++n)
    EXPECT_EQ(want[n], spoken_list(std::span(items).first(n)));
}

TEST(options, help_lists_every_format_within_the_width) {
  const std::string text = help();
  EXPECT_TRUE(text.starts_with(usage));
  // The --format paragraph: from its line to the next option's.
  const std::size_t from = text.find("  --format NAME ");
  const std::size_t to = text.find("\n  --", from + 1);
  ASSERT_NE(std::string::npos, from);
  std::string paragraph = text.substr(from, to - from);
  std::replace(paragraph.begin(), paragraph.end(), '\n', ' ');
  for (const format_row& row : formats()) {
    SCOPED_TRACE(std::string(row.name));
    EXPECT_NE(std::string::npos, paragraph.find(std::string(row.help)));
  }
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos;
       start = end + 1, end = text.find('\n', start))
    EXPECT_LE(end - start, 79U) << text.substr(start, end - start);
}

TEST(options, a_wrong_format_is_told_every_format) {
  const options got = parsed({"--format", "nosuch"});
  ASSERT_EQ(options::action::wrong, got.what);
  EXPECT_TRUE(got.error.starts_with("--format takes text, "));
  EXPECT_TRUE(got.error.ends_with(", not nosuch"));
  for (const format_row& row : formats()) {
    SCOPED_TRACE(std::string(row.name));
    EXPECT_NE(std::string::npos, got.error.find(std::string(row.name)));
  }
}

}  // namespace
}  // namespace runcheck::explain

namespace runcheck::explain {
namespace {

// Each option as given in the pairs below; a judge's format with the three
// files it takes.
struct sample {
  std::string_view name;
  std::vector<std::string_view> args;
};
const std::vector<sample>& samples() {
  static const std::vector<sample> all = {
      {"json", {"--json"}},
      {"csv", {"--format", "csv"}},
      {"html", {"--format", "html"}},
      {"gradescope", {"--format", "gradescope"}},
      {"kattis", {"--format", "kattis", "in", "ans", "fb"}},
      {"testlib", {"--format", "testlib", "in", "out", "ans"}},
      {"cms", {"--format", "cms", "in", "ans", "out"}},
      {"audience", {"--audience", "student"}},
      {"roster", {"--roster", "class.txt"}},
      {"submissions", {"--submissions", "class"}},
      {"summary", {"--format", "summary"}},
      {"strict", {"--strict"}},
      {"trace", {"--trace", "2"}},
      {"coverage", {"--coverage"}},
      {"make-tests", {"--make-tests"}},
      {"seed", {"--seed", "7"}},
      {"testset", {"--testset", "tests", "--group", ""}},
      {"appes", {"-appes"}},
      {"file", {"t.txt"}},
      {"files", {"t.txt", "r1.txt", "r2.txt"}},
      {"minimize", {"--minimize"}},
      {"extend", {"--extend", "mine.txt"}},
  };
  return all;
}

// The pairs refused and their messages, from tests/data/option_pairs.txt.
std::map<std::pair<std::string, std::string>, std::string> refused_pairs() {
  std::ifstream in(RUNCHECK_TESTS_DIR "/data/option_pairs.txt");
  EXPECT_TRUE(in.is_open());
  std::map<std::pair<std::string, std::string>, std::string> pairs;
  std::string audience_message;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    const std::size_t second = line.find('\t', tab + 1);
    const std::string a = line.substr(0, tab);
    std::string message = line.substr(second + 1);
    if (a == "audience_message") {
      audience_message = message;
      continue;
    }
    if (message == "{audience}") message = audience_message;
    const std::string b = line.substr(tab + 1, second - tab - 1);
    pairs[{a, b}] = message;
  }
  return pairs;
}

// Every pair of the options above: refused with the message its row in
// tests/data/option_pairs.txt gives, or, where the pair is not listed, taken
// together.
TEST(options, every_pair_taken_together_or_refused) {
  std::map<std::pair<std::string, std::string>, std::string> refusals = refused_pairs();
  // testlib's own options go with testlib alone.
  for (const sample& other : samples()) {
    for (const std::string_view own : {"testset", "appes"}) {
      if (other.name == "testlib" || other.name == "seed" || other.name == own) continue;
      for (const auto& pair : {std::pair(std::string(other.name), std::string(own)),
                               std::pair(std::string(own), std::string(other.name))})
        refusals.try_emplace(pair, "--testset, --group and -appes go with --format testlib");
    }
  }
  for (std::size_t i = 0; i < samples().size(); ++i) {
    for (std::size_t j = i + 1; j < samples().size(); ++j) {
      const sample& a = samples()[i];
      const sample& b = samples()[j];
      SCOPED_TRACE(std::string(a.name) + " with " + std::string(b.name));
      std::vector<std::string_view> args = a.args;
      args.insert(args.end(), b.args.begin(), b.args.end());
      const auto refused = refusals.find({std::string(a.name), std::string(b.name)});
      const options got = parse_options(args);
      if (refused == refusals.end()) {
        EXPECT_NE(options::action::wrong, got.what) << got.error;
        continue;
      }
      EXPECT_EQ(options::action::wrong, got.what);
      EXPECT_EQ(refused->second, got.error);
      // Either order reads the same.
      std::vector<std::string_view> reversed = b.args;
      reversed.insert(reversed.end(), a.args.begin(), a.args.end());
      EXPECT_EQ(refused->second, parse_options(reversed).error);
    }
  }
}

// How the arguments are read, before the rules between options: values,
// files, and what is wrong in the reading itself.
TEST(options, reading) {
  struct row {
    std::vector<std::string_view> args;
    std::string error;  // empty: read
    std::vector<std::string> files = {};
  };
  const row rows[] = {
      {{"--format"},
       "--format needs a value: text, json, csv, gradescope, junit, kattis, testlib, "
       "cms, prairielearn, html or summary"},
      {{"--format="},
       "--format needs a value: text, json, csv, gradescope, junit, kattis, "
       "testlib, cms, prairielearn, html or summary"},
      {{"--audience"}, "--audience needs a value: student or instructor"},
      {{"--roster"}, "--roster needs a value: the file that names the run files"},
      {{"--seed"}, "--seed needs a value: a whole number from 0 to 18446744073709551615"},
      {{"--trace", "--", "x"}, "--trace needs a value: a test case number from 1"},
      {{"--seed", "1", "--seed", "1"}, "--seed is given more than once"},
      {{"--json", "--json"}, "", {"replacement_input.txt", "replacement_output.txt"}},
      {{"--json=1"}, "--json takes no value"},
      {{"-h=1"}, "--help takes no value"},
      {{"--jsn", "--format"},
       "--format needs a value: text, json, csv, gradescope, junit, "
       "kattis, testlib, cms, prairielearn, html or summary"},
      {{"--jsn"}, "unknown option --jsn"},
      {{"-x", "--jsn"}, "unknown option -x"},
      {{"--=x"}, "unknown option --=x"},
      {{"--format=json", "a"}, "", {"a", "replacement_output.txt"}},
      // A value is the next argument, whatever it is.
      {{"--roster", "--json"}, "", {"replacement_input.txt"}},
      {{"--audience", "-1"}, "--audience takes student or instructor, not -1"},
      {{"-", "-5", "---x"}, "", {"-", "-5", "---x"}},
      {{"--", "--json", "-h"}, "", {"--json", "-h"}},
      {{"a", "--", "--", "b"}, "", {"a", "--", "b"}},
      {{"--trace", "0"}, "--trace needs a test case number from 1"},
      {{"--trace", "-3"}, "--trace needs a test case number from 1"},
      {{"--trace", "0x10"}, "--trace needs a test case number from 1"},
      {{"--trace", "2x"}, "--trace needs a test case number from 1"},
      {{"--make-tests", "--seed", "18446744073709551616"},
       "--seed takes a whole number from 0 to 18446744073709551615, not 18446744073709551616"},
      {{"--make-tests", "--seed", "-1"},
       "--seed takes a whole number from 0 to 18446744073709551615, not -1"},
      {{"--make-tests", "--seed", " 5"},
       "--seed takes a whole number from 0 to 18446744073709551615, not  5"},
  };
  for (const row& r : rows) {
    std::string joined;
    for (const std::string_view a : r.args) joined.append(a).append(" ");
    SCOPED_TRACE(joined);
    const options got = parse_options(r.args);
    EXPECT_EQ(r.error, got.error);
    EXPECT_EQ(r.error.empty(), got.what != options::action::wrong);
    if (r.error.empty()) {
      EXPECT_EQ(r.files, got.files);
    }
  }
}

TEST(options, values) {
  EXPECT_EQ(2, parsed({"--trace", "+2"}).trace);
  EXPECT_EQ(std::numeric_limits<std::int64_t>::max(),
            parsed({"--trace", "99999999999999999999"}).trace)
      << "past the largest: no test case of any file, which the trace says";
  EXPECT_EQ(18446744073709551615U, parsed({"--make-tests", "--seed", "18446744073709551615"}).seed);
  EXPECT_EQ(1U, parsed({"--make-tests"}).seed);
  const options extend = parsed({"--make-tests", "--extend", "mine.txt", "--seed", "3"});
  EXPECT_EQ("mine.txt", extend.extend);
  EXPECT_EQ(3U, extend.seed);
  EXPECT_TRUE(parsed({"--make-tests"}).extend.empty());
  const options minimize = parsed({"--coverage", "--minimize", "tests.txt"});
  EXPECT_EQ(options::action::coverage, minimize.what);
  EXPECT_TRUE(minimize.minimize);
  EXPECT_EQ((std::vector<std::string>{"tests.txt"}), minimize.files);
  EXPECT_EQ("--minimize writes a test-case file, not JSON",
            parsed({"--coverage", "--minimize", "--json"}).error);
  EXPECT_EQ(audience::student, parsed({"--audience=student"}).reader);
  EXPECT_EQ(audience::instructor, parsed({"--audience", "instructor"}).reader);
  EXPECT_EQ(format::json, parsed({"--json"}).output);
  EXPECT_EQ(format::json, parsed({"--json", "--format", "json"}).output);
  // Help and the version come before the rules, but not before a reading
  // that went wrong.
  EXPECT_EQ(options::action::help, parsed({"--format", "xml", "--coverage", "-h"}).what);
  EXPECT_EQ(options::action::version, parsed({"--jsn", "--version"}).what);
  EXPECT_EQ(options::action::wrong, parsed({"--help", "--seed"}).what);
}

TEST(options, judges_files_in_their_systems_order) {
  const options kattis = parsed({"--format", "kattis", "in", "ans", "feedback/", "more"});
  EXPECT_EQ((std::vector<std::string>{"in", "-"}), kattis.files);
  EXPECT_EQ("feedback/", kattis.feedback_dir);
  const options testlib = parsed({"--format", "testlib", "in", "out", "ans"});
  EXPECT_EQ((std::vector<std::string>{"in", "out"}), testlib.files);
  EXPECT_TRUE(testlib.report_file.empty());
  // testlib's whole call: its own options anywhere, a report file, -appes.
  const options report = parsed({"--format", "testlib", "--testset", "pretests", "in", "out", "ans",
                                 "--group", "", "result.xml", "-APPES"});
  EXPECT_EQ((std::vector<std::string>{"in", "out"}), report.files);
  EXPECT_EQ("result.xml", report.report_file);
  EXPECT_TRUE(report.appes);
  EXPECT_EQ(options::action::wrong,
            parsed({"--format", "testlib", "in", "out", "ans", "r", "more"}).what);
  EXPECT_EQ(options::action::wrong, parsed({"--format", "testlib", "--testset", ""}).what);
  const options cms = parsed({"--format", "cms", "in", "ans", "out", "outputonly"});
  EXPECT_EQ((std::vector<std::string>{"in", "out"}), cms.files);
  EXPECT_TRUE(cms.feedback_dir.empty());
  // Wrong arguments keep the format asked for: its exit status tells the
  // judge that the checker failed.
  const options wrong = parsed({"--format", "testlib", "in"});
  EXPECT_EQ(options::action::wrong, wrong.what);
  EXPECT_EQ(format::testlib, wrong.output);
  EXPECT_EQ(format::testlib, parsed({"--format", "testlib", "--jsn"}).output);
}

// --stress: the program after "--", its settings, and what goes with it.
TEST(options, stress) {
  struct row {
    std::vector<std::string_view> args;
    std::string error;  // empty: read
  };
  const row rows[] = {
      {{"--stress", "--", "./a.out"}, ""},
      {{"--stress", "--json", "--seed", "0", "--tests", "1", "--time-limit", "0.25", "--stdout",
        "--", "java", "-cp", ".", "Main"},
       ""},
      {{"--stress"},
       "--stress runs the program named after --, as in: runcheck-explain --stress -- ./a.out"},
      {{"--stress", "--"},
       "--stress runs the program named after --, as in: runcheck-explain --stress -- ./a.out"},
      {{"--stress", "./a.out"},
       "--stress runs the program named after --, as in: runcheck-explain --stress -- ./a.out"},
      {{"--stress", "a", "--", "b"},
       "--stress runs the program named after --, as in: runcheck-explain --stress -- ./a.out"},
      {{"--tests", "5", "--", "x"}, "--tests, --time-limit and --stdout go with --stress"},
      {{"--stdout", "t.txt"}, "--tests, --time-limit and --stdout go with --stress"},
      {{"--stress", "--tests", "0", "--", "x"}, "--tests takes a whole number from 1, not 0"},
      {{"--stress", "--tests", "1e3", "--", "x"}, "--tests takes a whole number from 1, not 1e3"},
      {{"--stress", "--time-limit", "0", "--", "x"},
       "--time-limit takes a number of seconds above 0, at most 3600, not 0"},
      {{"--stress", "--time-limit", "3601", "--", "x"},
       "--time-limit takes a number of seconds above 0, at most 3600, not 3601"},
      {{"--stress", "--time-limit", "1e9", "--", "x"},
       "--time-limit takes a number of seconds above 0, at most 3600, not 1e9"},
      {{"--stress", "--time-limit", "nan", "--", "x"},
       "--time-limit takes a number of seconds above 0, at most 3600, not nan"},
      {{"--stress", "--coverage", "--", "x"},
       "--stress does not go with --coverage, --make-tests or --trace"},
      {{"--stress", "--strict", "--", "x"}, "--strict goes with checking run files"},
      {{"--stress", "--audience", "student", "--", "x"},
       "--roster and --audience go with checking run files"},
      {{"--stress", "--format", "csv", "--", "x"}, "--format csv goes with checking run files"},
  };
  for (const row& r : rows) {
    std::string joined;
    for (const std::string_view a : r.args) joined.append(a).append(" ");
    SCOPED_TRACE(joined);
    const options got = parse_options(r.args);
    EXPECT_EQ(r.error, got.error);
    EXPECT_EQ(r.error.empty() ? options::action::stress : options::action::wrong, got.what);
  }
  const options given = parsed({"--stress", "--json", "--seed", "0", "--tests", "7", "--time-limit",
                                "0.25", "--stdout", "--", "java", "-cp", "."});
  EXPECT_EQ((std::vector<std::string>{"java", "-cp", "."}), given.stress.command);
  EXPECT_TRUE(given.stress.seed_given);
  EXPECT_EQ(0U, given.stress.seed);
  EXPECT_EQ(7, given.stress.tests);
  EXPECT_EQ(0.25, given.stress.time_limit);
  EXPECT_TRUE(given.stress.time_limit_given && given.stress.from_stdout && given.stress.json);
  const options plain = parsed({"--stress", "--", "./a.out"});
  EXPECT_FALSE(plain.stress.seed_given || plain.stress.time_limit_given || plain.stress.json);
  EXPECT_EQ(200, plain.stress.tests);
  EXPECT_EQ(5.0, plain.stress.time_limit);
  EXPECT_TRUE(plain.files.empty());
}

}  // namespace
}  // namespace runcheck::explain
