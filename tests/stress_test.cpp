// --stress on students' programs (programs/student.c, right and with each
// of its mistakes): each faulty one is caught and shrunk to a 1-minimal
// file that fails the same way, recognised where the catalogue knows it;
// the right one passes every test; and nothing is left behind but
// stress-failure.txt.
#include "explain/stress/stress.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "explain/diagnosis/variants.h"
#include "explain/stress/hand_back.h"
#include "platform/platform.h"

namespace runcheck::explain {
namespace {

namespace fs = std::filesystem;

std::string contents(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The catalogue's programs that write `runs` (a run file) for the test
// cases of `test_cases` (a test-case file).
std::vector<std::string> writers_of(std::string_view test_cases, std::string_view runs) {
  const std::optional<test_case_file> file = read_test_case_file(test_cases);
  std::vector<run_list> written;
  std::istringstream lines{std::string(runs)};
  for (std::string line; std::getline(lines, line);) {
    written.emplace_back(static_cast<std::size_t>(std::stoi(line)));
    for (std::vector<std::int32_t>& run : written.back()) {
      std::getline(lines, line);
      std::istringstream keys(line);
      for (std::int32_t k = 0; keys >> k;) run.push_back(k);
    }
  }
  std::vector<std::string> writers;
  for (const variant& v : known_variants()) {
    bool same = file && written.size() == file->test_cases.size();
    for (std::size_t t = 0; same && t < written.size(); ++t)
      same = variant_runs(v, file->test_cases[t]) == played_runs{.runs = written[t]};
    if (same) writers.emplace_back(v.name);
  }
  return writers;
}

std::string student(const std::string& name) {
  return std::string(RUNCHECK_STUDENT_PROGRAMS) + "/student_" + name;
}

// A stress run in a current folder and a temporary folder of its own,
// both checked afterwards.
class stress_test : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = platform::make_temporary_folder();
    ASSERT_FALSE(root_.empty());
    fs::create_directory(fs::path(root_) / "here");
    fs::create_directory(fs::path(root_) / "temporary");
    before_ = fs::current_path();
    fs::current_path(fs::path(root_) / "here");
    // The system's folder for temporary files, where the runs go, is
    // one to look into: TMPDIR on POSIX, TMP on Windows.
    temporary_ = fs::temp_directory_path().string();
    for (const char* name : {"TMPDIR", "TMP", "TEMP"})
      platform::set_environment(name, root_ + "/temporary");
  }
  void TearDown() override {
    fs::current_path(before_);
    for (const char* name : {"TMPDIR", "TMP", "TEMP"}) platform::set_environment(name, temporary_);
    EXPECT_TRUE(platform::remove_folder(root_));
  }

  // Runs --stress as JSON, with the seed 1 and a time limit of 1 s; the
  // document, or null where the output is not one.
  rapidjson::Document stress(const std::vector<std::string>& command, int& status,
                             bool from_stdout = false, std::int64_t tests = 200) {
    output out;
    output err;
    status = run_stress({.command = command,
                         .seed = 1,
                         .seed_given = true,
                         .tests = tests,
                         .time_limit = 1,
                         .time_limit_given = true,
                         .from_stdout = from_stdout,
                         .json = true},
                        out, err);
    errors_ = err.text();
    rapidjson::Document document;
    document.Parse(out.text().c_str());
    EXPECT_FALSE(document.HasParseError()) << out.text() << errors_;
    if (document.HasParseError()) document.SetNull();
    return document;
  }

  // The names in the current folder, and whether the temporary folder is
  // empty again.
  std::vector<std::string> left_here() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(fs::path(root_) / "here"))
      names.push_back(e.path().filename().string());
    return names;
  }
  bool temporary_empty() const { return fs::is_empty(fs::path(root_) / "temporary"); }

  std::string root_;
  fs::path before_;
  std::string temporary_;
  std::string errors_;
};

TEST_F(stress_test, right_program_passes_every_test) {
  int status = -1;
  const rapidjson::Document run = stress({student("correct")}, status);
  EXPECT_EQ(0, status) << errors_;
  ASSERT_TRUE(run.IsObject());
  EXPECT_EQ(200, run["tests_run"].GetInt());
  EXPECT_TRUE(run["failure"].IsNull());
  EXPECT_TRUE(left_here().empty());
  EXPECT_TRUE(temporary_empty());
}

// A program that prints its runs passes with --stdout, and without it
// writes no run file.
TEST_F(stress_test, runs_printed_are_read_with_stdout) {
  int status = -1;
  const rapidjson::Document printed = stress({student("prints_runs")}, status, true, 20);
  EXPECT_EQ(0, status) << errors_;
  ASSERT_TRUE(printed.IsObject());
  EXPECT_TRUE(printed["failure"].IsNull());
}

TEST_F(stress_test, program_that_cannot_start) {
  int status = -1;
  output out;
  output err;
  status = run_stress({.command = {student("no_such_program")}, .seed_given = true}, out, err);
  EXPECT_EQ(2, status);
  EXPECT_NE(std::string::npos, err.text().find("not found")) << err.text();
  EXPECT_TRUE(left_here().empty());
  EXPECT_TRUE(temporary_empty());
}

// Each faulty program: the failure found, of the right kind, shrunk within
// the runs to a file saved as stress-failure.txt that fails the same way
// and fails no longer, or otherwise, with any one key or test case dropped
// (where the file left is a fair test).
TEST_F(stress_test, each_mistake_found_and_shrunk) {
  struct row {
    const char* program;
    const char* kind;
    const char* variant;  // the catalogue's name; nullptr where it has none
  };
  const row rows[] = {
      {"buffer_6", "wrong_runs", "buffer_6"},
      {"equal_keys_frozen", "wrong_runs", "equal_keys_and_minus_one_frozen"},
      {"last_key_kept", "wrong_runs", "last_key_not_reset"},
      {"budget_499", "wrong_runs", "budget_499"},
      {"crash_on_one_key", "crashed", nullptr},
      {"loop_on_equal_keys", "timed_out", nullptr},
      {"writes_nothing", "no_run_file", nullptr},
      {"prints_runs", "no_run_file", nullptr},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.program);
    int status = -1;
    const rapidjson::Document run = stress({student(r.program)}, status);
    EXPECT_EQ(1, status) << errors_;
    ASSERT_TRUE(run.IsObject() && run["failure"].IsObject());
    const auto& failure = run["failure"];
    EXPECT_STREQ(r.kind, failure["kind"].GetString());
    EXPECT_STREQ(r.kind, failure["last_kind"].GetString());
    EXPECT_FALSE(failure["cut_short"].GetBool());
    EXPECT_FALSE(failure["slow_not_stuck"].GetBool());
    EXPECT_LE(failure["shrink_runs"].GetInt(), max_shrink_runs);
    const std::string text = failure["smallest"]["text"].GetString();
    if (r.variant != nullptr) {
      // The program named writes the runs the program wrote, and so does
      // the program's own twin in the catalogue: where several write them,
      // the report names the most likely first.
      ASSERT_TRUE(failure["variant"].IsObject()) << text;
      const std::vector<std::string> writers =
          writers_of(text, failure["runs_written"].GetString());
      EXPECT_NE(writers.end(), std::find(writers.begin(), writers.end(), r.variant)) << text;
      EXPECT_NE(writers.end(),
                std::find(writers.begin(), writers.end(), failure["variant"]["name"].GetString()))
          << text;
    }
    EXPECT_EQ(text, contents(stress_failure_file));
    EXPECT_EQ(std::vector<std::string>{stress_failure_file}, left_here());
    EXPECT_TRUE(temporary_empty());

    // 1-minimal, by the program's own runs.
    const std::optional<test_case_file> smallest = read_test_case_file(text);
    ASSERT_TRUE(smallest.has_value());
    const std::string session = platform::make_temporary_folder();
    const trial_setup setup{
        .command = {student(r.program)}, .session_folder = session, .time_limit = 1};
    const trial_result again = run_trial(setup, *smallest);
    EXPECT_STREQ(r.kind, std::string(failure_name(again.kind)).c_str());
    const auto still_fails = [&](const test_case_file& file) {
      return fair_test(file) && run_trial(setup, file).same_failure(again);
    };
    for (std::size_t t = 0; t < smallest->test_cases.size(); ++t) {
      test_case_file fewer = *smallest;
      fewer.test_cases.erase(fewer.test_cases.begin() + static_cast<std::ptrdiff_t>(t));
      EXPECT_FALSE(still_fails(fewer)) << "without test case " << t + 1 << " of\n" << text;
      for (std::size_t k = 0; k < smallest->test_cases[t].size(); ++k) {
        test_case_file shorter = *smallest;
        auto& keys = shorter.test_cases[t];
        keys.erase(keys.begin() + static_cast<std::ptrdiff_t>(k));
        EXPECT_FALSE(still_fails(shorter)) << "without key " << k + 1 << " of\n" << text;
      }
    }
    EXPECT_TRUE(platform::remove_folder(session));
    fs::remove(stress_failure_file);
  }
}

// The command that runs a failing test again reads back, in a shell, as the
// words it was made of.
TEST(hand_back, command_line_quoted_where_a_shell_reads_otherwise) {
  struct row {
    std::vector<std::string> words;
    std::string_view line;
  };
  const row rows[] = {
      {{"./a.out"}, "./a.out"},
      {{"python3", "sol.py", "--x=1,2"}, "python3 sol.py --x=1,2"},
      {{"java", "-cp", "C:\\my dir", "Main"}, R"(java -cp "C:\\my dir" Main)"},
      {{"sh", "-c", "echo \"$HOME\" `id`"}, R"(sh -c "echo \"\$HOME\" \`id\`")"},
      {{"prog", ""}, R"(prog "")"},
      {{"it's"}, R"("it's")"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(r.line, command_line(r.words));
  }
  stress_run run{.options = {.command = {"./a.out", "-v"},
                             .seed = 12,
                             .tests = 50,
                             .time_limit = 0.5,
                             .time_limit_given = true,
                             .from_stdout = true}};
  EXPECT_EQ(
      "runcheck-explain --stress --seed 12 --tests 50 --time-limit 0.5 --stdout -- ./a.out -v",
      command_line(reproducing_command(run)));
  run.failure = stress_failure{.test = 7};
  EXPECT_EQ("runcheck-explain --stress --seed 12 --tests 7 --time-limit 0.5 --stdout -- ./a.out -v",
            command_line(reproducing_command(run)));
}

}  // namespace
}  // namespace runcheck::explain
