// The roster reader: every path in file order, whatever the batch
// boundaries, the roster's folder put before a relative path.
#include "explain/grading/roster.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace runcheck::explain {
namespace {

// A folder of its own under the system's temporary folder, removed after.
class roster_test : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("runcheck_roster_test_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string write(const std::string& text) {
    std::string path = (folder_ / "class.txt").string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  std::vector<std::string> read_all(const std::string& path) {
    std::vector<std::string> paths;
    for (const class_member& m : members(path)) paths.push_back(m.run_file);
    return paths;
  }

  std::vector<class_member> members(const std::string& path) {
    roster r(path);
    EXPECT_TRUE(r.readable());
    std::vector<class_member> all;
    for (class_member m; r.next(m);) all.push_back(m);
    return all;
  }

  std::filesystem::path folder_;
};

TEST_F(roster_test, lines) {
  const std::string path = write(
      "a/run.txt\n"
      "  # a comment, after spaces\n"
      "\n"
      " \t \r\n"
      "\tb c/run.txt \t\r\n"
      "/abs/run.txt\n"
      "\\\\server\\run.txt\n"
      "C:\\work\\run.txt\n"
      "#not/a/path\n"
      "last");
  const std::string dir = path.substr(0, path.size() - std::string("class.txt").size());
  EXPECT_EQ((std::vector<std::string>{dir + "a/run.txt", dir + "b c/run.txt", "/abs/run.txt",
                                      "\\\\server\\run.txt", "C:\\work\\run.txt", dir + "last"}),
            read_all(path));
}

// The student after a tab, else the run file's folder.
TEST_F(roster_test, students) {
  const std::vector<class_member> got =
      members(write("alice/run.txt\n"
                    "bob/run.txt\tBob Brown \n"
                    "  carol.txt \t  Carol C.\t(late)\r\n"
                    "dave/sub/run.txt\t\n"));
  ASSERT_EQ(4U, got.size());
  EXPECT_EQ("alice", got[0].student);
  EXPECT_EQ("Bob Brown", got[1].student);
  EXPECT_EQ("Carol C.\t(late)", got[2].student) << "the first tab ends the path";
  const std::string& carol = got[2].run_file;  // after the roster's folder, trimmed
  EXPECT_TRUE(carol.ends_with("/carol.txt") || carol.ends_with("\\carol.txt")) << carol;
  EXPECT_EQ("sub", got[3].student);
}

TEST(student_of, the_folder_else_the_name) {
  const std::pair<std::string_view, std::string_view> rows[] = {
      {"class/alice/replacement_output.txt", "alice"},
      {"alice/replacement_output.txt", "alice"},
      {R"(C:\class\bob\run.txt)", "bob"},
      {"run.txt", "run.txt"},
      {"./run.txt", "run.txt"},
      {"/run.txt", "run.txt"},
      {"a/b/", "a"},
  };
  for (const auto& [path, student] : rows) EXPECT_EQ(student, student_of(path)) << path;
}

TEST_F(roster_test, batches) {
  // Sizes around the batch of 1024 paths, with comments among them so that
  // a batch ends inside the file's blocks.
  for (const int n : {0, 1, 1023, 1024, 1025, 2048, 3001}) {
    SCOPED_TRACE(n);
    std::string text;
    std::vector<std::string> want;
    for (int i = 0; i < n; ++i) {
      if (i % 7 == 0) text += "# " + std::string(static_cast<std::size_t>(i % 50), 'x') + "\n";
      text += "/s" + std::to_string(i) + "/run.txt\n";
      want.push_back("/s" + std::to_string(i) + "/run.txt");
    }
    EXPECT_EQ(want, read_all(write(text)));
  }
}

TEST_F(roster_test, unreadable) {
  roster missing((folder_ / "none.txt").string());
  EXPECT_FALSE(missing.readable());
  class_member member{.run_file = "unchanged"};
  EXPECT_FALSE(missing.next(member));
  EXPECT_EQ("unchanged", member.run_file);
  roster folder(folder_.string());
  EXPECT_FALSE(folder.readable());
}

}  // namespace
}  // namespace runcheck::explain
