// Running a program under test (platform.h): every way it can end, the
// files it is given, the processes it leaves, and temporary folders.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace runcheck::platform {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A temporary folder with the standard input, output and error files of
// one run, removed at the end of the test.
class process_test : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_temporary_folder();
    ASSERT_FALSE(folder_.empty());
    std::ofstream(fs::path(folder_) / "in.txt", std::ios::binary) << "3\n1 2 3\n";
  }
  void TearDown() override { EXPECT_TRUE(remove_folder(folder_)); }

  program_ending run(std::vector<std::string> arguments, double time_limit = 10,
                     std::int64_t cap = 1 << 20, std::string watched = {}) {
    command_ = {RUNCHECK_TEST_HELPER};
    command_.insert(command_.end(), arguments.begin(), arguments.end());
    return run_program({.command = command_,
                        .folder = folder_,
                        .standard_input = folder_ + "/in.txt",
                        .standard_output = folder_ + "/out.txt",
                        .standard_error = folder_ + "/err.txt",
                        .watched_file = std::move(watched),
                        .size_cap = cap,
                        .time_limit = time_limit});
  }
  std::string file(const char* name) const { return contents(fs::path(folder_) / name); }

  std::string folder_;
  std::vector<std::string> command_;
};

TEST_F(process_test, exit_status_as_given) {
  for (const int status : {0, 1, 3, 42, 255}) {
    SCOPED_TRACE(status);
    const program_ending ending = run({"exit", std::to_string(status)});
    EXPECT_EQ(program_ending::how::exited, ending.what);
    EXPECT_EQ(status, ending.code);
  }
}

TEST_F(process_test, crash_is_named) {
  const program_ending ending = run({"crash"});
  ASSERT_EQ(program_ending::how::crashed, ending.what);
  const std::string name = crash_name(ending.code);
  EXPECT_TRUE(name.find("SIGSEGV") == 0 || name.find("0xC0000005") == 0) << name;
}

TEST_F(process_test, time_limit_ends_it) {
  const program_ending ending = run({"loop"}, 0.3);
  EXPECT_EQ(program_ending::how::timed_out, ending.what);
  EXPECT_GE(ending.seconds, 0.3);
}

TEST_F(process_test, files_given_and_kept) {
  EXPECT_EQ(program_ending::how::exited, run({"cat"}).what);
  std::string copied = file("out.txt");
  std::erase(copied, '\r');  // Windows' C runtime writes text with CR LF
  EXPECT_EQ("3\n1 2 3\n", copied);
  const program_ending complained = run({"complain", "no keys"});
  EXPECT_EQ(program_ending::how::exited, complained.what);
  EXPECT_EQ(3, complained.code);
  EXPECT_EQ("no keys", file("err.txt"));
  EXPECT_EQ("", file("out.txt"));  // made again for each run
  // The program runs in the folder: a file it names goes there.
  EXPECT_EQ(program_ending::how::exited, run({"write", "runs.txt", "5"}).what);
  EXPECT_EQ("xxxxx", file("runs.txt"));
}

TEST_F(process_test, size_cap_on_every_file) {
  struct row {
    std::vector<std::string> arguments;
    program_ending::how what;
    std::int64_t code;
  };
  const row rows[] = {
      {{"print", "4096"}, program_ending::how::exited, 0},
      {{"print", "100000000"}, program_ending::how::too_much_output, 0},
      {{"write", "runs.txt", "100000000"}, program_ending::how::too_much_output, 2},
      {{"write", "other.txt", "100000"}, program_ending::how::exited, 0},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.arguments[0] + " " + r.arguments[1]);
    fs::remove(fs::path(folder_) / "runs.txt");
    const program_ending ending = run(r.arguments, 60, 65536, "runs.txt");
    EXPECT_EQ(r.what, ending.what);
    EXPECT_EQ(r.code, ending.code) << ending.why;
    if (r.arguments[1] == "4096") {
      EXPECT_EQ(4096U, file("out.txt").size());
    }
  }
}

TEST_F(process_test, not_started_says_why) {
  command_ = {folder_ + "/no-such-program"};
  const program_ending ending = run_program({.command = command_,
                                             .folder = folder_,
                                             .standard_input = folder_ + "/in.txt",
                                             .standard_output = folder_ + "/out.txt",
                                             .standard_error = folder_ + "/err.txt"});
  EXPECT_EQ(program_ending::how::not_started, ending.what);
  EXPECT_EQ("not found", ending.why);
}

// A program named with a folder is found from the current folder, not from
// the folder it runs in.
TEST_F(process_test, relative_program_from_current_folder) {
  std::string relative = fs::relative(RUNCHECK_TEST_HELPER, current_folder()).generic_string();
  if (relative.find('/') == std::string::npos) relative = "./" + relative;
  command_ = {relative, "exit", "7"};
  const program_ending ending = run_program({.command = command_,
                                             .folder = folder_,
                                             .standard_input = folder_ + "/in.txt",
                                             .standard_output = folder_ + "/out.txt",
                                             .standard_error = folder_ + "/err.txt"});
  EXPECT_EQ(program_ending::how::exited, ending.what) << ending.why;
  EXPECT_EQ(7, ending.code);
}

// Whether the program ends by itself or is ended, the process it started is
// ended too: the file it keeps adding to stops growing.
TEST_F(process_test, processes_started_are_ended) {
  for (const char* then : {"exit", "loop"}) {
    SCOPED_TRACE(then);
    const std::string beats = folder_ + "/beats.txt";
    const program_ending ending = run({"spawn", beats, then}, 0.5);
    EXPECT_EQ(
        then == std::string("exit") ? program_ending::how::exited : program_ending::how::timed_out,
        ending.what);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::string before = contents(beats);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(before, contents(beats));
    fs::remove(beats);
  }
}

TEST(temporary_folders, distinct_empty_and_removed_whole) {
  const std::string a = make_temporary_folder();
  const std::string b = make_temporary_folder();
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  EXPECT_NE(a, b);
  EXPECT_TRUE(fs::is_empty(a));
  fs::create_directories(fs::path(a) / "deep" / "deeper");
  std::ofstream(fs::path(a) / "deep" / "deeper" / "kept.txt") << "1\n";
  fs::permissions(fs::path(a) / "deep" / "deeper" / "kept.txt", fs::perms::owner_read);
  fs::permissions(fs::path(a) / "deep" / "deeper", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_TRUE(remove_folder(a));
  EXPECT_FALSE(fs::exists(a));
  EXPECT_TRUE(remove_folder(b));
  EXPECT_FALSE(fs::exists(b));
  EXPECT_TRUE(remove_folder(a));  // nothing there: nothing left

  // Emptied, whatever it holds, and made where it is missing.
  const fs::path run = fs::path(b).parent_path() / (fs::path(b).filename().string() + "-run");
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    EXPECT_TRUE(empty_folder(run.string()));
    EXPECT_TRUE(fs::is_directory(run) && fs::is_empty(run));
    fs::create_directories(run / "sub" / "deeper");
    std::ofstream(run / "replacement_output.txt") << "1\n";
    std::ofstream(run / "sub" / "kept.txt") << "1\n";
    fs::permissions(run / "replacement_output.txt", fs::perms::owner_read);
  }
  EXPECT_TRUE(empty_folder(run.string()));
  EXPECT_TRUE(fs::is_empty(run));
  EXPECT_TRUE(remove_folder(run.string()));
}

}  // namespace
}  // namespace runcheck::platform
