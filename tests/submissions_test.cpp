// A course tool's bulk download read as a class: made-up trees of both
// layouts (a folder per student; files prefixed by the student), every
// student a member, one without a run file or with two a member that says so.
#include "explain/grading/submissions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace runcheck::explain {
namespace {

TEST(submissions, run_file_names) {
  for (const char* yes :
       {"replacement_output.txt", "Replacement_Output.TXT", "REPLACEMENT_OUTPUT.txt",
        "replacement_output-1.txt", "replacement_output-12.txt"})
    EXPECT_TRUE(is_run_file_name(yes)) << yes;
  for (const char* no :
       {"replacement_input.txt", "replacement_output.txt.bak", "replacement_output-.txt",
        "replacement_output-x.txt", "replacement_output (1).txt", "replacement_output",
        "my_replacement_output.txt", ""})
    EXPECT_FALSE(is_run_file_name(no)) << no;
}

TEST(submissions, names_prefixed_by_the_student) {
  struct row {
    const char* name;
    const char* student;  // nullptr: not prefixed
    const char* rest;
  };
  const row rows[] = {
      {"lovelaceada_12345_67890_replacement_output.txt", "lovelaceada", "replacement_output.txt"},
      {"lovelaceada_LATE_12345_67890_replacement_output-1.txt", "lovelaceada",
       "replacement_output-1.txt"},
      {"doe_1_x.txt", "doe", "x.txt"},
      {"doe_x.txt", nullptr, nullptr},
      {"_12_34_x.txt", nullptr, nullptr},
      {"doe_12_34_", nullptr, nullptr},
      {"replacement_output.txt", nullptr, nullptr},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    std::string student;
    std::string rest;
    EXPECT_EQ(r.student != nullptr, split_prefixed(r.name, student, rest));
    if (r.student != nullptr) {
      EXPECT_EQ(r.student, student);
      EXPECT_EQ(r.rest, rest);
    }
  }
  EXPECT_EQ("Ada Lovelace", student_of_folder("Ada Lovelace_12345_assignsubmission_file_"));
  EXPECT_EQ("Ada Lovelace", student_of_folder("Ada Lovelace_12345_assignsubmission_onlinetext_"));
  EXPECT_EQ("alice", student_of_folder("alice"));
  EXPECT_EQ("x_y_assignsubmission_file_", student_of_folder("x_y_assignsubmission_file_"));
}

class download_test : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("runcheck_submissions_test_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  void file(const std::string& path) {
    std::filesystem::create_directories((folder_ / path).parent_path());
    std::ofstream(folder_ / path) << "1\n10 20 30\n";
  }
  void folder(const std::string& path) { std::filesystem::create_directories(folder_ / path); }

  // The members, as "student: run file from the download's folder [problem]".
  std::vector<std::string> read() {
    std::vector<class_member> members;
    EXPECT_TRUE(read_submissions(folder_.string(), members));
    std::vector<std::string> seen;
    const std::string base = folder_.string() + "/";
    for (const class_member& m : members) {
      std::string line =
          m.student + ": " + m.run_file.substr(m.run_file.starts_with(base) ? base.size() : 0);
      if (!m.problem.empty()) line += " [" + m.problem.substr(0, m.problem.find(',')) + "]";
      seen.push_back(line);
    }
    return seen;
  }

  std::filesystem::path folder_;
};

TEST_F(download_test, a_folder_per_student) {
  file("Ada Lovelace_12345_assignsubmission_file_/Replacement_Output.TXT");
  folder("Ada Lovelace_12345_assignsubmission_onlinetext_");
  file("Ada Lovelace_12345_assignsubmission_onlinetext_/onlinetext.html");
  file("bob_23456_assignsubmission_file_/work/replacement_output-1.txt");
  file("bob_23456_assignsubmission_file_/notes.txt");
  folder("Carol Clark_34567_assignsubmission_file_");
  file("dave/replacement_output.txt");
  file("dave/old/replacement_output.txt");
  file("eve/a/b/replacement_output.txt");  // two levels down: not looked at
  EXPECT_EQ((std::vector<std::string>{
                "Ada Lovelace: Ada Lovelace_12345_assignsubmission_file_/Replacement_Output.TXT",
                "bob: bob_23456_assignsubmission_file_/work/replacement_output-1.txt",
                "Carol Clark: Carol Clark_34567_assignsubmission_file_/replacement_output.txt",
                "dave: dave [2 run files]",
                "eve: eve/replacement_output.txt",
            }),
            read());
}

TEST_F(download_test, files_prefixed_by_the_student) {
  file("lovelaceada_12345_67890_replacement_output.txt");
  file("brownbob_LATE_23456_67891_replacement_output-1.txt");
  file("brownbob_LATE_23456_67891_notes.txt");
  file("clarkcarol_34567_67892_replacement_output.txt");
  file("clarkcarol_34567_67893_replacement_output-1.txt");
  file("replacement_input.txt");
  EXPECT_EQ((std::vector<std::string>{
                "brownbob: brownbob_LATE_23456_67891_replacement_output-1.txt",
                "clarkcarol: clarkcarol_34567_67892_replacement_output.txt [2 run files]",
                "lovelaceada: lovelaceada_12345_67890_replacement_output.txt",
            }),
            read());
}

TEST_F(download_test, unreadable) {
  std::vector<class_member> members{{.run_file = "x", .student = "y"}};
  EXPECT_FALSE(read_submissions((folder_ / "none").string(), members));
  EXPECT_TRUE(members.empty());
  EXPECT_TRUE(read_submissions(folder_.string(), members));
  EXPECT_TRUE(members.empty());
}

}  // namespace
}  // namespace runcheck::explain
