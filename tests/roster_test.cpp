// The roster reader: every path in file order, whatever the batch
// boundaries, the roster's folder put before a relative path.
#include "explain/grading/roster.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
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
    roster r(path);
    EXPECT_TRUE(r.readable());
    std::vector<std::string> paths;
    for (std::string p; r.next(p);) paths.push_back(p);
    return paths;
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
  std::string path = "unchanged";
  EXPECT_FALSE(missing.next(path));
  roster folder(folder_.string());
  EXPECT_FALSE(folder.readable());
}

}  // namespace
}  // namespace runcheck::explain
