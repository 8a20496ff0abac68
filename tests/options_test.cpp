// runcheck-explain's command line: the table of formats against each
// grading system's rules, the help and the messages against the table, and
// every pair of options either taken together or refused with its message.
#include "explain/cli/options.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Every pair of the options above: refused with the message below, or, where
// the pair is not listed, taken together.
TEST(options, every_pair_taken_together_or_refused) {
  const std::string audience_message =
      "--audience goes with --format text, json or html; the other formats give each reader "
      "their own message";
  std::map<std::pair<std::string_view, std::string_view>, std::string> refusals = {
      {{"json", "csv"}, "--json and --format csv do not go together"},
      {{"json", "html"}, "--json and --format html do not go together"},
      {{"json", "gradescope"}, "--json and --format gradescope do not go together"},
      {{"json", "kattis"}, "--json and --format kattis do not go together"},
      {{"json", "testlib"}, "--json and --format testlib do not go together"},
      {{"json", "cms"}, "--json and --format cms do not go together"},
      {{"json", "trace"}, "--trace reads one test-case file, and writes no JSON"},
      {{"json", "make-tests"}, "--make-tests writes a test-case file, not JSON"},
      {{"json", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"csv", "html"}, "--format is given more than once"},
      {{"csv", "gradescope"}, "--format is given more than once"},
      {{"csv", "kattis"}, "--format is given more than once"},
      {{"csv", "testlib"}, "--format is given more than once"},
      {{"csv", "cms"}, "--format is given more than once"},
      {{"csv", "audience"}, audience_message},
      {{"csv", "trace"}, "--format csv goes with checking run files"},
      {{"csv", "coverage"}, "--format csv goes with checking run files"},
      {{"csv", "make-tests"}, "--format csv goes with checking run files"},
      {{"csv", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"html", "gradescope"}, "--format is given more than once"},
      {{"html", "kattis"}, "--format is given more than once"},
      {{"html", "testlib"}, "--format is given more than once"},
      {{"html", "cms"}, "--format is given more than once"},
      {{"html", "trace"}, "--format html goes with checking run files"},
      {{"html", "coverage"}, "--format html goes with checking run files"},
      {{"html", "make-tests"}, "--format html goes with checking run files"},
      {{"html", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"gradescope", "kattis"}, "--format is given more than once"},
      {{"gradescope", "testlib"}, "--format is given more than once"},
      {{"gradescope", "cms"}, "--format is given more than once"},
      {{"gradescope", "audience"}, audience_message},
      {{"gradescope", "roster"}, "--format gradescope grades one run file, not a roster"},
      {{"gradescope", "trace"}, "--format gradescope goes with checking run files"},
      {{"gradescope", "coverage"}, "--format gradescope goes with checking run files"},
      {{"gradescope", "make-tests"}, "--format gradescope goes with checking run files"},
      {{"gradescope", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"gradescope", "files"}, "--format gradescope grades one run file"},
      {{"kattis", "testlib"}, "--format is given more than once"},
      {{"kattis", "cms"}, "--format is given more than once"},
      {{"kattis", "audience"}, audience_message},
      {{"kattis", "roster"}, "--roster does not go with --format kattis"},
      {{"kattis", "trace"}, "--format kattis goes with checking run files"},
      {{"kattis", "coverage"}, "--format kattis goes with checking run files"},
      {{"kattis", "make-tests"}, "--format kattis goes with checking run files"},
      {{"kattis", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"testlib", "cms"}, "--format is given more than once"},
      {{"testlib", "audience"}, audience_message},
      {{"testlib", "roster"}, "--roster does not go with --format testlib"},
      {{"testlib", "trace"}, "--format testlib goes with checking run files"},
      {{"testlib", "coverage"}, "--format testlib goes with checking run files"},
      {{"testlib", "make-tests"}, "--format testlib goes with checking run files"},
      {{"testlib", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"testlib", "appes"},
       "-appes follows a report file: --format testlib INPUT RUN_FILE ANSWER REPORT -appes"},
      {{"testlib", "files"}, "--format testlib takes INPUT RUN_FILE ANSWER [REPORT_FILE [-appes]]"},
      {{"cms", "audience"}, audience_message},
      {{"cms", "roster"}, "--roster does not go with --format cms"},
      {{"cms", "trace"}, "--format cms goes with checking run files"},
      {{"cms", "coverage"}, "--format cms goes with checking run files"},
      {{"cms", "make-tests"}, "--format cms goes with checking run files"},
      {{"cms", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"audience", "trace"}, "--roster and --audience go with checking run files"},
      {{"audience", "coverage"}, "--roster and --audience go with checking run files"},
      {{"audience", "make-tests"}, "--roster and --audience go with checking run files"},
      {{"audience", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"roster", "trace"}, "--roster and --audience go with checking run files"},
      {{"roster", "coverage"}, "--roster and --audience go with checking run files"},
      {{"roster", "make-tests"}, "--roster and --audience go with checking run files"},
      {{"roster", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"roster", "files"}, "--roster takes the test-case file alone"},
      {{"strict", "trace"}, "--strict goes with checking run files"},
      {{"strict", "coverage"}, "--strict goes with checking run files"},
      {{"strict", "make-tests"}, "--strict goes with checking run files"},
      {{"strict", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"trace", "coverage"}, "--trace does not go with --coverage or --make-tests"},
      {{"trace", "make-tests"}, "--trace does not go with --coverage or --make-tests"},
      {{"trace", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"trace", "files"}, "--trace reads one test-case file, and writes no JSON"},
      {{"coverage", "make-tests"}, "--coverage and --make-tests do not go together"},
      {{"coverage", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"coverage", "files"}, "--coverage reads one test-case file"},
      {{"make-tests", "file"}, "--make-tests reads no file"},
      {{"make-tests", "files"}, "--make-tests reads no file"},
      {{"seed", "file"}, "--seed goes with --make-tests or --stress"},
      {{"seed", "files"}, "--seed goes with --make-tests or --stress"},
      {{"json", "summary"}, "--json and --format summary do not go together"},
      {{"csv", "summary"}, "--format is given more than once"},
      {{"html", "summary"}, "--format is given more than once"},
      {{"gradescope", "submissions"}, "--format gradescope grades one run file, not a class"},
      {{"gradescope", "summary"}, "--format is given more than once"},
      {{"kattis", "submissions"}, "--submissions does not go with --format kattis"},
      {{"kattis", "summary"}, "--format is given more than once"},
      {{"testlib", "submissions"}, "--submissions does not go with --format testlib"},
      {{"testlib", "summary"}, "--format is given more than once"},
      {{"cms", "submissions"}, "--submissions does not go with --format cms"},
      {{"cms", "summary"}, "--format is given more than once"},
      {{"audience", "summary"}, audience_message},
      {{"roster", "submissions"}, "--roster and --submissions do not go together"},
      {{"submissions", "trace"}, "--submissions goes with checking run files"},
      {{"submissions", "coverage"}, "--submissions goes with checking run files"},
      {{"submissions", "make-tests"}, "--submissions goes with checking run files"},
      {{"submissions", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"submissions", "files"}, "--submissions takes the test-case file alone"},
      {{"summary", "trace"}, "--format summary goes with checking run files"},
      {{"summary", "coverage"}, "--format summary goes with checking run files"},
      {{"summary", "make-tests"}, "--format summary goes with checking run files"},
      {{"summary", "seed"}, "--seed goes with --make-tests or --stress"},
      {{"seed", "testset"}, "--seed goes with --make-tests or --stress"},
      {{"seed", "appes"}, "--seed goes with --make-tests or --stress"},
      {{"json", "minimize"}, "--minimize goes with --coverage"},
      {{"json", "extend"}, "--extend goes with --make-tests"},
      {{"csv", "minimize"}, "--minimize goes with --coverage"},
      {{"csv", "extend"}, "--extend goes with --make-tests"},
      {{"html", "minimize"}, "--minimize goes with --coverage"},
      {{"html", "extend"}, "--extend goes with --make-tests"},
      {{"gradescope", "minimize"}, "--minimize goes with --coverage"},
      {{"gradescope", "extend"}, "--extend goes with --make-tests"},
      {{"kattis", "minimize"}, "--minimize goes with --coverage"},
      {{"kattis", "extend"}, "--extend goes with --make-tests"},
      {{"testlib", "minimize"}, "--minimize goes with --coverage"},
      {{"testlib", "extend"}, "--extend goes with --make-tests"},
      {{"cms", "minimize"}, "--minimize goes with --coverage"},
      {{"cms", "extend"}, "--extend goes with --make-tests"},
      {{"audience", "minimize"}, "--minimize goes with --coverage"},
      {{"audience", "extend"}, "--extend goes with --make-tests"},
      {{"roster", "minimize"}, "--minimize goes with --coverage"},
      {{"roster", "extend"}, "--extend goes with --make-tests"},
      {{"strict", "minimize"}, "--minimize goes with --coverage"},
      {{"strict", "extend"}, "--extend goes with --make-tests"},
      {{"trace", "minimize"}, "--minimize goes with --coverage"},
      {{"trace", "extend"}, "--extend goes with --make-tests"},
      {{"coverage", "extend"}, "--extend goes with --make-tests"},
      {{"make-tests", "minimize"}, "--minimize goes with --coverage"},
      {{"seed", "minimize"}, "--seed goes with --make-tests or --stress"},
      {{"seed", "extend"}, "--seed goes with --make-tests or --stress"},
      {{"file", "minimize"}, "--minimize goes with --coverage"},
      {{"file", "extend"}, "--extend goes with --make-tests"},
      {{"files", "minimize"}, "--minimize goes with --coverage"},
      {{"files", "extend"}, "--extend goes with --make-tests"},
      {{"minimize", "extend"}, "--minimize goes with --coverage"},
      {{"submissions", "minimize"}, "--minimize goes with --coverage"},
      {{"submissions", "extend"}, "--extend goes with --make-tests"},
      {{"summary", "minimize"}, "--minimize goes with --coverage"},
      {{"summary", "extend"}, "--extend goes with --make-tests"},
      {{"testset", "minimize"}, "--minimize goes with --coverage"},
      {{"testset", "extend"}, "--extend goes with --make-tests"},
      {{"appes", "minimize"}, "--minimize goes with --coverage"},
      {{"appes", "extend"}, "--extend goes with --make-tests"},
  };
  // testlib's own options go with testlib alone.
  for (const sample& other : samples()) {
    for (const std::string_view own : {"testset", "appes"}) {
      if (other.name == "testlib" || other.name == "seed" || other.name == own) continue;
      for (const auto& pair : {std::pair(other.name, own), std::pair(own, other.name)})
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
      const auto refused = refusals.find({a.name, b.name});
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
