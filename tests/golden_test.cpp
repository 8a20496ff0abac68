// Golden end-to-end cases: every folder of tests/golden holds the files of
// one case (replacement_input.txt and replacement_output.txt, either may be
// missing or a directory) and expected_stdout.txt, the program's whole
// standard output. The case is copied to a fresh directory, the program runs
// there with standard input from /dev/null, and the output must match byte
// for byte, with exit status 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace fs = std::filesystem;
using runcheck::testing::read_file;
using runcheck::testing::run_in_directory;
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

TEST_P(golden, output_matches) {
  const fs::path source = fs::path(GOLDEN_DIR) / GetParam();
  temp_dir work;
  for (const auto& entry : fs::directory_iterator(source)) {
    if (entry.path().filename() == "expected_stdout.txt") continue;
    fs::copy(entry.path(), work.path() / entry.path().filename(), fs::copy_options::recursive);
  }
  const auto outcome = run_in_directory(RUNCHECK_BINARY, work.path());
  ASSERT_TRUE(outcome.exited);
  EXPECT_EQ(0, outcome.exit_status);
  EXPECT_EQ(read_file(source / "expected_stdout.txt"), outcome.stdout_text);
}

INSTANTIATE_TEST_SUITE_P(cases, golden, ::testing::ValuesIn(golden_cases()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
