#include "input/test_case.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "e2e_support.h"

namespace runcheck {
namespace {

struct read_case {
  std::int32_t num_keys;
  std::int32_t numbers_read;
  std::vector<std::int32_t> keys;
  bool operator==(const read_case&) const = default;
};

void PrintTo(const read_case& c, std::ostream* os) {
  *os << "{num_keys " << c.num_keys << ", numbers_read " << c.numbers_read << ", keys";
  for (const std::int32_t k : c.keys) *os << ' ' << k;
  *os << '}';
}

std::vector<read_case> read_all(std::string_view text, int count) {
  text_reader file = text_reader::from_memory(text);
  key_line line;
  std::vector<read_case> cases;
  for (int i = 0; i < count; ++i) {
    const test_case tc = read_test_case(file, line);
    cases.push_back({tc.num_keys, tc.numbers_read, {tc.keys.begin(), tc.keys.end()}});
  }
  return cases;
}

TEST(read_test_case, layouts_that_read_alike) {
  const std::vector<std::int32_t> ten = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
  const std::vector<std::int32_t> three = {30, 10, 20};
  const std::string_view files[] = {
      "10\n9 8 7 6 5 4 3 2 1 0\n3\n30 10 20\n",
      "\n\n10\n   9 8 7 6 5 4 3 2 1 0\n3\n30 10 20\n",
      "10 9 8 7 6 5 4 3 2 1 0\n3 30 10 20",
      "10\r\n9 8 7 6 5 4 3 2 1 0\r\n3\r\n30 10 20\r\n",
  };
  for (const std::string_view text : files) {
    SCOPED_TRACE(text);
    const auto cases = read_all(text, 2);
    EXPECT_EQ((read_case{10, 10, ten}), cases[0]);
    EXPECT_EQ((read_case{3, 3, three}), cases[1]);
  }
}

TEST(read_test_case, key_list_takes_the_first_num_keys_numbers) {
  struct row {
    const char* name;
    std::string_view text;
    read_case want;
  };
  const row rows[] = {
      {"more numbers than keys", "3\n5  3   8 9\n", {3, 4, {5, 3, 8}}},
      {"space before line break, three keys", "3\n9 8 7 \n", {3, 4, {9, 8, 7}}},
      {"space before line break, four keys", "4\n9 8 7 \n", {4, 4, {9, 8, 7, 0}}},
      {"tab joins two numbers", "1\n5\t3\n", {1, 1, {5}}},
      {"too few numbers", "5\n1 2 3\n", {5, 3, {}}},
      {"no key line", "4\n", {4, 0, {}}},
      {"no keys announced: key line not read", "0\n1 2\n", {0, 0, {}}},
      {"negative count", "-2\n1 2\n", {-2, 0, {}}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.want, read_all(r.text, 1)[0]);
  }
}

TEST(read_test_case, reads_a_file_in_blocks_as_it_reads_memory) {
  // Many test cases with CRLF ends cross the 64 KiB blocks of the reader at
  // every kind of position, carriage returns included.
  std::string text;
  for (int i = 0; i < 8000; ++i) text += "3\r\n30 10 20\r\n";
  runcheck::testing::temp_dir dir;
  runcheck::testing::write_file(dir.path() / "cases.txt", text);
  auto file = open_text_file((dir.path() / "cases.txt").c_str());
  ASSERT_TRUE(file.has_value());
  key_line line;
  for (int i = 0; i < 8000; ++i) {
    const test_case tc = read_test_case(*file, line);
    ASSERT_EQ(3, tc.num_keys) << "test case " << i;
    ASSERT_EQ((std::vector<std::int32_t>{30, 10, 20}),
              std::vector<std::int32_t>(tc.keys.begin(), tc.keys.end()))
        << "test case " << i;
  }
  EXPECT_TRUE(file->at_end());
}

std::string read_through(const std::string& bytes) {
  runcheck::testing::temp_dir dir;
  runcheck::testing::write_file(dir.path() / "f.txt", bytes);
  auto file = open_text_file((dir.path() / "f.txt").c_str());
  std::string got;
  for (int c = file->get(); c != text_reader::end_of_file; c = file->get())
    got.push_back(static_cast<char>(c));
  return got;
}

TEST(open_text_file, folds_crlf_across_block_ends) {
  // The reader's blocks are 64 KiB: put a carriage return at the last byte
  // of a block, followed by a line feed, another character, or the end.
  const std::string pad(65535, 'a');
  EXPECT_EQ(pad + "\nz", read_through(pad + "\r\nz"));
  EXPECT_EQ(pad + "\rz", read_through(pad + "\rz"));
  EXPECT_EQ(pad + "\r", read_through(pad + "\r"));
  EXPECT_EQ(pad + "\r\n", read_through(pad + "\r\r\n"));
}

TEST(open_text_file, refuses_what_cannot_be_read_as_a_file) {
  runcheck::testing::temp_dir dir;
  EXPECT_FALSE(open_text_file((dir.path() / "missing.txt").c_str()).has_value());
  EXPECT_FALSE(open_text_file(dir.path().c_str()).has_value());
  // A FIFO without a writer must neither block nor be read.
  const auto fifo = dir.path() / "fifo";
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
  EXPECT_FALSE(open_text_file(fifo.c_str()).has_value());
  EXPECT_FALSE(open_text_file("/dev/zero").has_value());
}

}  // namespace
}  // namespace runcheck
