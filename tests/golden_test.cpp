// Golden end-to-end cases: every folder of tests/golden holds the files of
// one case (replacement_input.txt and replacement_output.txt, either may be
// missing or a directory) and expected_stdout.txt, the program's whole
// standard output. The case is copied to a fresh directory, the program runs
// there with standard input from /dev/null, and the output must match byte
// for byte, with exit status 0.
//
// runcheck-explain runs on every case too: its verdict per test case and its
// exit status must be runcheck's (0 pass, 1 fail, 2 when runcheck stopped
// before its checker's separator line), and where the case holds
// explain_stdout.txt or explain_json.txt, its whole text or --json output.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "e2e_support.h"

namespace fs = std::filesystem;
using runcheck::testing::read_file;
using runcheck::testing::run_in_directory;
using runcheck::testing::run_options;
using runcheck::testing::temp_dir;

namespace {

std::vector<std::string> golden_cases() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(GOLDEN_DIR)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class golden : public ::testing::TestWithParam<std::string> {};

// Copies the case's two files, where it has them, into `work`.
void lay_out(const fs::path& source, const temp_dir& work) {
  for (const char* name : {"replacement_input.txt", "replacement_output.txt"}) {
    if (fs::exists(source / name)) {
      fs::copy(source / name, work.path() / name, fs::copy_options::recursive);
    }
  }
}

// P and F for each `pass` and `fail` marker in `text`, in order.
std::string verdicts(std::string_view text, std::string_view pass, std::string_view fail) {
  std::string found;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i).starts_with(pass)) found += 'P';
    if (text.substr(i).starts_with(fail)) found += 'F';
  }
  return found;
}

runcheck::testing::run_outcome explain(const temp_dir& work, std::vector<std::string> arguments) {
  run_options options;
  options.arguments = std::move(arguments);
  options.capture_stderr = true;
  return run_in_directory(RUNCHECK_EXPLAIN_BINARY, work.path(), options);
}

TEST_P(golden, explain_agrees) {
  const fs::path source = fs::path(GOLDEN_DIR) / GetParam();
  temp_dir work;
  lay_out(source, work);
  const std::string runcheck_output = read_file(source / "expected_stdout.txt");
  int status = 2;
  if (runcheck_output.find("\n================================================\n") !=
      std::string::npos) {
    status = runcheck_output.find("\nYour File PASS the TEST\n") != std::string::npos ? 0 : 1;
  }
  const auto json = explain(work, {"--json"});
  EXPECT_EQ(status, json.exit_status);
  EXPECT_EQ(verdicts(runcheck_output, "\n....PASSED\n", "\n....FAILED\n"),
            verdicts(json.stdout_text, R"("verdict": "passed")", R"("verdict": "failed")"));
  for (const char* name : {"explain_stdout.txt", "explain_json.txt"}) {
    if (!fs::exists(source / name)) continue;
    SCOPED_TRACE(name);
    const auto outcome = explain(work, {name == std::string("explain_json.txt") ? "--json" : "--"});
    EXPECT_EQ(read_file(source / name), outcome.stdout_text);
  }
}

TEST(explain, arguments_and_exit_status) {
  struct row {
    std::vector<std::string> arguments;
    int status;
    std::string_view in_stdout;
    std::string_view in_stderr;
  };
  const row rows[] = {
      {{"--help"}, 0, "usage: runcheck-explain [--json] [TEST_CASE_FILE [RUN_FILE...]]\n", ""},
      {{"--version"}, 0, "runcheck-explain 1.0.0\n", ""},
      {{"--jsn"}, 2, "", "runcheck-explain: unknown option --jsn\nusage: "},
      {{"-"}, 2, "replacement_output.txt: stopped: Input File Open failed. FILE \"-\"", ""},
      {{"--", "--json"}, 2, "FILE \"--json\" does NOT EXIST", ""},
      {{"replacement_input.txt"},
       0,
       "replacement_output.txt: PASS, 2 of 2 test cases passed\n",
       ""},
      {{"replacement_input.txt", "replacement_output.txt", "replacement_input.txt", "none"},
       2,
       "replacement_output.txt: PASS, 2 of 2 test cases passed\n"
       "replacement_input.txt: FAIL, 0 of 2 test cases passed\n"
       "none: STOPPED, the check could not run\n",
       ""},
      {{"--json", "replacement_input.txt", "replacement_output.txt", "replacement_input.txt"},
       1,
       R"("verdict": "pass", "passed": 2, "failed": 0)",
       ""},
  };
  temp_dir work;
  lay_out(fs::path(GOLDEN_DIR) / "example_passes", work);
  for (const row& r : rows) {
    SCOPED_TRACE(r.arguments.front());
    const auto outcome = explain(work, r.arguments);
    EXPECT_EQ(r.status, outcome.exit_status);
    EXPECT_NE(std::string::npos, outcome.stdout_text.find(r.in_stdout)) << outcome.stdout_text;
    EXPECT_NE(std::string::npos, outcome.stderr_text.find(r.in_stderr)) << outcome.stderr_text;
    if (r.in_stdout.empty()) {
      EXPECT_EQ("", outcome.stdout_text);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(cases, golden, ::testing::ValuesIn(golden_cases()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
