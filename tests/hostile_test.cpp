// Hostile input, end to end: the built program is run in a fresh directory on
// files that no well-behaved program would write, and on standard streams
// that misbehave. Whatever it is given, it must end by itself within a few
// seconds with exit status 0, having printed the verdicts or one of its
// messages, and its memory must stay bounded whatever the size of the files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "e2e_support.h"

namespace fs = std::filesystem;
using runcheck::testing::run_in_directory;
using runcheck::testing::run_options;
using runcheck::testing::run_outcome;
using runcheck::testing::temp_dir;
using runcheck::testing::write_file;
using runcheck::testing::write_repeated;

namespace {

using namespace std::string_literals;

constexpr std::chrono::seconds time_bound{5};
constexpr long rss_bound_kib = 64L * 1024;
constexpr std::size_t megabyte = 1'000'000;

const std::string banner = "Input file name: \"replacement_input.txt\", buffer_size: 5\n";
const std::string prompt = "Press Enter Any Key to Finish.";
const std::string separator = "================================================\n";
const std::string closing = "<===============================================\n" + prompt;
const std::string pass_tail = separator + "Your File PASS the TEST\n" + closing;
const std::string fail_tail = separator + "Your File CANNOT PASS the TEST\n" + closing;

// The two test cases of the bundled example and their expected listing.
const std::string example_input = "2\n10\n9 8 7 6 5 4 3 2 1 0\n3\n30 10 20\n";
const std::string example_listing = "2\n5 6 7 8 9\n0 1 2 3 4\n1\n10 20 30\n";

std::string testing_line(int t) { return "Testing test case " + std::to_string(t) + ".........\n"; }
std::string wrong_count(int t) {
  return "The number of runs in test case " + std::to_string(t) + " is wrong.\n";
}

// What stands in place of one of the two files.
struct file_spec {
  enum class kind { absent, bytes, directory, fifo };
  kind what = kind::absent;
  std::string bytes;
};
file_spec text(std::string bytes) { return {file_spec::kind::bytes, std::move(bytes)}; }
file_spec directory() { return {file_spec::kind::directory, {}}; }
file_spec fifo() { return {file_spec::kind::fifo, {}}; }

void lay_out(const fs::path& path, const file_spec& layout) {
  if (layout.what == file_spec::kind::bytes) write_file(path, layout.bytes);
  if (layout.what == file_spec::kind::directory) fs::create_directory(path);
  if (layout.what == file_spec::kind::fifo) {
    ASSERT_EQ(0, ::mkfifo(path.c_str(), 0644));
  }
}

fs::path input_path(const temp_dir& dir) { return dir.path() / "replacement_input.txt"; }
fs::path runs_path(const temp_dir& dir) { return dir.path() / "replacement_output.txt"; }

run_outcome run_bounded(const temp_dir& dir, run_options options = {}) {
  options.timeout = time_bound;
  return run_in_directory(RUNCHECK_BINARY, dir.path(), options);
}

// Every run, whatever its input: ended by itself, in time, with status 0.
void expect_clean_end(const run_outcome& outcome) {
  EXPECT_FALSE(outcome.timed_out) << "still running after " << time_bound.count() << " s";
  EXPECT_TRUE(outcome.exited) << "ended by signal " << outcome.term_signal;
  EXPECT_EQ(0, outcome.exit_status);
}

bool ends_with(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// A clean end whose output starts with the banner and ends with `tail`.
void expect_output(const run_outcome& outcome, const std::string& tail) {
  expect_clean_end(outcome);
  EXPECT_EQ(0u, outcome.stdout_text.rfind(banner, 0)) << outcome.stdout_text.substr(0, 200);
  EXPECT_TRUE(ends_with(outcome.stdout_text, tail))
      << "output ends with:\n"
      << outcome.stdout_text.substr(outcome.stdout_text.size() -
                                    std::min(outcome.stdout_text.size(), tail.size() + 200))
      << "\nwanted:\n"
      << tail;
}

void expect_memory_bounded([[maybe_unused]] const run_outcome& outcome) {
#ifndef RUNCHECK_SANITIZED
  // The sanitizers' shadow memory and quarantine would dwarf the program's own.
  EXPECT_LT(outcome.peak_rss_kib, rss_bound_kib) << "peak resident memory in KiB";
#endif
}

// The output from `listing` to the end, when the run file opens.
std::string check_section(const std::string& listing, const std::string& verdicts,
                          const std::string& tail) {
  return listing + "<===============================================\n\n\n" +
         "=========================> Test\n" +
         "Open Output file name for Test: \"replacement_output.txt\"\n" + verdicts + tail;
}

std::string example_check(const std::string& verdicts, const std::string& tail) {
  return check_section(example_listing, verdicts, tail);
}

// Output of a test-case file that stops the program right after the banner.
std::string stop(const std::string& message) { return banner + message + prompt; }

TEST(hostile_input, small_files) {
  struct row {
    const char* name;
    file_spec input;
    file_spec runs;
    std::string tail;  // the whole end of the output, from a point it fixes
  };
  const std::string both_wrong_counts = testing_line(1) + wrong_count(1) + "....FAILED\n" +
                                        testing_line(2) + wrong_count(2) + "....FAILED\n";
  const std::string no_test_cases =
      "=========================> Output File should be..\n"
      "<===============================================\n\n\n=========================> Test\n"
      "Open Output file name for Test: \"replacement_output.txt\"\n" +
      pass_tail;
  const std::string both_pass = testing_line(1) + "....PASSED\n" + testing_line(2) + "....PASSED\n";
  const std::string one_then_stop = banner + "No min record exists. Finished. (r:1, w:1)\n" +
                                    "num_keys is less than 1 at test case 2." + prompt;
  const row rows[] = {
      // NUL and 0x1A are ordinary characters: not white space, not digits.
      {"NUL inside a key", text("1\n3\n5\0 6 7\n"s), text("1\n5 6 7\n"),
       check_section("1\n5 6 7\n", testing_line(1) + "....PASSED\n", pass_tail)},
      {"NUL as the first count", text("\0"s + example_input), text(example_listing), no_test_cases},
      {"NUL inside a run line", text(example_input),
       text("2\n5 6 7 8 9\0\n0 1 2 3 4\n1\n10 20 30\n"s), example_check(both_pass, pass_tail)},
      {"NUL as a run count, read again by the next count", text(example_input),
       text("\0"s + example_listing), example_check(both_wrong_counts, fail_tail)},
      {"0x1A after the last test case", text(example_input + "\x1a"),
       text(example_listing + "\x1a"), example_check(both_pass, pass_tail)},
      {"0x1A at the start of a key",
       text("1\n3\n5 \x1a"
            "6 7\n"),
       text("1\n0 5 7\n"),
       "No min record exists. Finished. (r:3, w:3)\n"s + "=========================> finished\n" +
           "=========================> Output File should be..\n" +
           check_section("1\n0 5 7\n", testing_line(1) + "....PASSED\n", pass_tail)},
      {"0x1A as a run count", text(example_input), text("\x1a" + example_listing),
       example_check(both_wrong_counts, fail_tail)},
      // A lone carriage return is white space to a count but no line end, so
      // the first key line runs to the end of the file.
      {"lone carriage returns in the test-case file",
       text("2\r10\r9 8 7 6 5 4 3 2 1 0\r3\r30 10 20\r"), text(example_listing),
       "No min record exists. Finished. (r:10, w:10)\n"
       "num_keys is less than 1 at test case 2." +
           prompt},
      {"lone carriage returns in the run file", text(example_input),
       text("2\r5 6 7 8 9\r0 1 2 3 4\r1\r10 20 30\r"),
       example_check(testing_line(1) + "run 1 is wrong\n....FAILED\n" + testing_line(2) +
                         wrong_count(2) + "....FAILED\n",
                     fail_tail)},
      {"empty test-case file", text(""), text(example_listing), no_test_cases},
      {"empty run file", text(example_input), text(""),
       example_check(both_wrong_counts, fail_tail)},
      {"both files empty", text(""), text(""), no_test_cases},
      {"test-case file is a directory", directory(), text(example_listing),
       stop("Input File Open failed. FILE \"replacement_input.txt\" does NOT EXIST.\n")},
      {"run file is a directory", text(example_input), directory(),
       example_listing +
           "<===============================================\n\n\n=========================> Test\n"
           "Open Output file name for Test: \"replacement_output.txt\"\n"
           "Test File Open failed. FILE \"replacement_output.txt\" does NOT EXIST.\n"
           "Your File CANNOT PASS the TEST\n" +
           prompt},
      // Only regular files are read: a named pipe (which may never be written
      // to) is a failure to open, and the open must not wait for a writer.
      {"test-case file is a named pipe without writer", fifo(), text(example_listing),
       stop("Input File Open failed. FILE \"replacement_input.txt\" does NOT EXIST.\n")},
      {"run file is a named pipe without writer", text(example_input), fifo(),
       example_listing +
           "<===============================================\n\n\n=========================> Test\n"
           "Open Output file name for Test: \"replacement_output.txt\"\n"
           "Test File Open failed. FILE \"replacement_output.txt\" does NOT EXIST.\n"
           "Your File CANNOT PASS the TEST\n" +
           prompt},
      // Counts beyond the 32-bit range saturate; the table grows with the test
      // cases the file holds, so a huge count stops at the first missing one.
      {"2147483647 test cases", text("2147483647\n1\n5\n"), text(example_listing), one_then_stop},
      {"2147483648 test cases", text("2147483648\n1\n5\n"), text(example_listing), one_then_stop},
      {"99999999999 test cases", text("99999999999\n1\n5\n"), text(example_listing), one_then_stop},
      {"num_keys 2147483647 on a short line", text("1\n2147483647\n1 2 3\n"), text(example_listing),
       stop("num_keys is 2147483647 but the key line holds only 3 at test case 1.\n")},
      {"num_keys 2147483648 on a short line", text("1\n2147483648\n1 2 3\n"), text(example_listing),
       stop("num_keys is 2147483647 but the key line holds only 3 at test case 1.\n")},
      {"num_keys 99999999999 on a short line", text("1\n99999999999\n1 2 3\n"),
       text(example_listing),
       stop("num_keys is 2147483647 but the key line holds only 3 at test case 1.\n")},
      // A huge run count reads run lines up to the end of the file and no
      // further; the second test case then meets the end of the file.
      {"2147483647 runs", text(example_input),
       text("2147483647\n5 6 7 8 9\n0 1 2 3 4\n1\n10 20 30\n"),
       example_check(testing_line(1) + wrong_count(1) + "....FAILED\n" + testing_line(2) +
                         wrong_count(2) + "....FAILED\n",
                     fail_tail)},
      {"2147483648 runs", text(example_input), text("2147483648\n5 6 7 8 9\n0 1 2 3 4\n"),
       example_check(both_wrong_counts, fail_tail)},
      {"99999999999 runs", text(example_input), text("99999999999\n5 6 7 8 9\n0 1 2 3 4\n"),
       example_check(both_wrong_counts, fail_tail)},
      {"negative test-case count", text("-1\n1\n5\n"), text(example_listing),
       stop("num_test_cases is less than 0.\n")},
      {"test-case count below the 32-bit range", text("-99999999999\n"), text(example_listing),
       stop("num_test_cases is less than 0.\n")},
      {"negative num_keys", text("1\n-5\n1 2 3\n"), text(example_listing),
       banner + "num_keys is less than 1 at test case 1." + prompt},
      {"num_keys below the 32-bit range", text("1\n-2147483649\n1 2 3\n"), text(example_listing),
       banner + "num_keys is less than 1 at test case 1." + prompt},
      // A negative run count reads no run line, so the second count lands on
      // the first run line.
      {"negative run count", text(example_input), text("-2\n" + example_listing.substr(2)),
       example_check(testing_line(1) + wrong_count(1) + "....FAILED\n" + testing_line(2) +
                         wrong_count(2) + "run 0 is wrong\n....FAILED\n",
                     fail_tail)},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    temp_dir dir;
    lay_out(input_path(dir), r.input);
    lay_out(runs_path(dir), r.runs);
    expect_output(run_bounded(dir), r.tail);
  }
}

// One line of 50 MB without a line break, in each place where the program
// reads all of it: a count, the white space after a count, run lines read
// in pieces, and white space where a run count is due.
TEST(hostile_input, fifty_megabyte_line) {
  struct row {
    const char* name;
    bool in_input;  // the big file is the test-case file, else the run file
    std::string head;
    std::string body;
    std::string tail;
    std::string other;  // the other file
    std::string want;
  };
  const row rows[] = {
      {"a count of 50 million digits", true, "", "9", "", example_listing,
       stop("num_keys is less than 1 at test case 1.")},
      {"white space after a count", true, "1\n1\n", " ", "42", "1\n42\n",
       check_section("1\n42\n", testing_line(1) + "....PASSED\n", pass_tail)},
      {"run lines read in pieces", false, "2147483647\n", "7 ", "", example_input,
       example_check(testing_line(1) + wrong_count(1) + "run 0 is wrong\nrun 1 is wrong\n" +
                         "....FAILED\n" + testing_line(2) + wrong_count(2) + "....FAILED\n",
                     fail_tail)},
      {"white space where a run count is due", false, "", " ", "", example_input,
       example_check(testing_line(1) + wrong_count(1) + "....FAILED\n" + testing_line(2) +
                         wrong_count(2) + "....FAILED\n",
                     fail_tail)},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    temp_dir dir;
    const fs::path big = r.in_input ? input_path(dir) : runs_path(dir);
    write_repeated(big, r.head, r.body, 50 * megabyte, r.tail);
    write_file(r.in_input ? runs_path(dir) : input_path(dir), r.other);
    const run_outcome outcome = run_bounded(dir);
    expect_output(outcome, r.want);
    expect_memory_bounded(outcome);
  }
}

TEST(hostile_input, million_blank_lines) {
  const std::string blank(1'000'000, '\n');
  struct row {
    const char* name;
    std::string input;
    std::string runs;
    std::string want;
  };
  const row rows[] = {
      // Where a count is due, blank lines are skipped.
      {"before the test-case count", blank + example_input, example_listing,
       example_check(testing_line(1) + "....PASSED\n" + testing_line(2) + "....PASSED\n",
                     pass_tail)},
      {"between count and key line", "2\n10\n" + blank + example_input.substr(5), example_listing,
       example_check(testing_line(1) + "....PASSED\n" + testing_line(2) + "....PASSED\n",
                     pass_tail)},
      {"before a run count", example_input, "2\n5 6 7 8 9\n0 1 2 3 4\n" + blank + "1\n10 20 30\n",
       example_check(testing_line(1) + "....PASSED\n" + testing_line(2) + "....PASSED\n",
                     pass_tail)},
      // Where a run line is due, each is a run line holding the number 0.
      {"as run lines", example_input, "2147483647\n5 6 7 8 9\n0 1 2 3 4\n" + blank,
       example_check(testing_line(1) + wrong_count(1) + "....FAILED\n" + testing_line(2) +
                         wrong_count(2) + "....FAILED\n",
                     fail_tail)},
      {"as runs of the first test case", example_input, "2\n5 6 7 8 9\n" + blank,
       example_check(testing_line(1) + "run 1 is wrong\n....FAILED\n" + testing_line(2) +
                         wrong_count(2) + "....FAILED\n",
                     fail_tail)},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    temp_dir dir;
    write_file(input_path(dir), r.input);
    write_file(runs_path(dir), r.runs);
    expect_output(run_bounded(dir), r.want);
  }
}

// A run file of 100 MB: once read to its end by a huge run count, once as
// text after the last test case, which is never read.
TEST(hostile_input, hundred_megabyte_run_file) {
  struct row {
    const char* name;
    std::string head;
    std::string body;
    std::string want;
  };
  const row rows[] = {
      {"ten million run lines", "2147483647\n", "5 6 7 8 9\n",
       example_check(testing_line(1) + wrong_count(1) + "run 1 is wrong\n....FAILED\n" +
                         testing_line(2) + wrong_count(2) + "....FAILED\n",
                     fail_tail)},
      {"after the last test case", example_listing, "1 2 3 4\n",
       example_check(testing_line(1) + "....PASSED\n" + testing_line(2) + "....PASSED\n",
                     pass_tail)},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    temp_dir dir;
    write_file(input_path(dir), example_input);
    write_repeated(runs_path(dir), r.head, r.body, 100 * megabyte);
    const run_outcome outcome = run_bounded(dir);
    expect_output(outcome, r.want);
    expect_memory_bounded(outcome);
  }
}

// True when `text` matches `pattern`, in which each '#' stands for an
// optionally signed decimal number.
bool matches(std::string_view text, std::string_view pattern) {
  std::size_t i = 0;
  for (const char p : pattern) {
    if (p != '#') {
      if (i == text.size() || text[i] != p) return false;
      ++i;
      continue;
    }
    if (i < text.size() && text[i] == '-') ++i;
    const std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == digits) return false;
  }
  return i == text.size();
}

// True when the output ends in one of the program's endings: a stop message
// or a verdict, then the prompt.
bool known_ending(std::string_view out) {
  if (!ends_with(out, prompt)) return false;
  out.remove_suffix(prompt.size());
  const auto last_line = [](std::string_view text) {
    const std::size_t start = text.rfind('\n', text.size() < 2 ? 0 : text.size() - 2);
    return start == std::string_view::npos ? text : text.substr(start + 1);
  };
  const std::string_view line = last_line(out);
  if (matches(line, "num_keys is less than 1 at test case #.")) return true;
  for (const char* pattern :
       {"num_test_cases is less than 0.\n", "Not enough memory at test case #.\n",
        "num_keys is # but the key line holds only # at test case #.\n"}) {
    if (matches(line, pattern)) return true;
  }
  out.remove_suffix(line.size());
  const std::string_view before = last_line(out);
  if (line == "<===============================================\n")
    return before == "Your File PASS the TEST\n" || before == "Your File CANNOT PASS the TEST\n";
  return line == "Your File CANNOT PASS the TEST\n" &&
         before == "Test File Open failed. FILE \"replacement_output.txt\" does NOT EXIST.\n";
}

// Random bytes, drawn mostly from the characters the readers give meaning
// to. No oracle knows the verdicts, but every run must end cleanly with one
// of the program's endings.
TEST(hostile_input, random_garbage) {
  // A fixed seed, so that a failing round can be run again.
  std::mt19937 random(20240611);  // NOLINT(cert-msc32-c,cert-msc51-cpp)
  const std::string meaningful = "0123456789 -+\n\r\t\v\f\x1a"s + '\0';
  auto garbage = [&](std::size_t size) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
      const auto draw = random();
      c = (draw & 1) ? meaningful[(draw >> 1) % meaningful.size()] : static_cast<char>(draw >> 8);
    }
    return bytes;
  };
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    temp_dir dir;
    const std::size_t size = std::size_t{16} << (round % 7);
    std::string input;
    std::string runs;
    if (round % 3 == 0) {
      // Well-formed counts around key lines of garbage, so that generation
      // and the checker both meet it.
      input = "3\n";
      for (int t = 0; t < 3; ++t) {
        std::string keys = garbage(size);
        std::replace(keys.begin(), keys.end(), '\n', ' ');
        input += std::to_string(1 + round % 5) + "\n" + keys + "\n";
      }
      runs = garbage(size * 4);
    } else if (round % 3 == 1) {
      input = example_input;
      runs = garbage(size * 64);
    } else {
      input = garbage(size * 64);
      runs = example_listing;
    }
    write_file(input_path(dir), input);
    write_file(runs_path(dir), runs);
    const run_outcome outcome = run_bounded(dir);
    expect_clean_end(outcome);
    EXPECT_EQ(0u, outcome.stdout_text.rfind(banner, 0));
    EXPECT_TRUE(known_ending(outcome.stdout_text)) << outcome.stdout_text.substr(
        outcome.stdout_text.size() - std::min<std::size_t>(outcome.stdout_text.size(), 300));
  }
}

// Standard streams that end, vanish or refuse writes: the program still
// ends by itself with status 0.
TEST(hostile_streams, standard_input) {
  struct row {
    const char* name;
    std::string stdin_path;
  };
  temp_dir dir;
  write_file(input_path(dir), example_input);
  write_file(runs_path(dir), example_listing);
  const fs::path empty = dir.path() / "empty";
  write_file(empty, "");
  const row rows[] = {
      {"at its end", "/dev/null"}, {"an empty file", empty.string()}, {"closed", ""}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    run_options options;
    options.stdin_path = r.stdin_path;
    expect_output(run_bounded(dir, options),
                  example_check(testing_line(1) + "....PASSED\n" + testing_line(2) + "....PASSED\n",
                                pass_tail));
  }
}

TEST(hostile_streams, standard_output) {
  temp_dir dir;
  // Enough test cases that the output is far larger than a pipe holds: each
  // key -3 gives 250 melt messages.
  std::string input = "400\n";
  for (int t = 0; t < 400; ++t) input += "1\n-3\n";
  write_file(input_path(dir), input);
  write_file(runs_path(dir), example_listing);

  {
    SCOPED_TRACE("a pipe closed after 10 bytes");
    run_options options;
    options.stdout_pipe_read_limit = 10;
    const run_outcome outcome = run_bounded(dir, options);
    expect_clean_end(outcome);
    EXPECT_EQ(banner.substr(0, 10), outcome.stdout_text);
  }
  {
    SCOPED_TRACE("a file size limit of 100 bytes");
    run_options options;
    options.stdout_path = (dir.path() / "stdout").string();
    options.file_size_limit = 100;
    expect_clean_end(run_bounded(dir, options));
    const std::string written = runcheck::testing::read_file(options.stdout_path);
    EXPECT_EQ(100u, written.size());
    EXPECT_EQ(0u, written.rfind(banner, 0));
  }
  {
    SCOPED_TRACE("a device that is full");
    run_options options;
    options.stdout_path = "/dev/full";
    expect_clean_end(run_bounded(dir, options));
  }
  for (const bool stdin_closed : {false, true}) {
    SCOPED_TRACE(stdin_closed ? "closed, and standard input too" : "closed");
    run_options options;
    options.close_stdout = true;
    if (stdin_closed) options.stdin_path = "";
    expect_clean_end(run_bounded(dir, options));
    // The files were opened where standard output used to be; nothing was
    // written into them.
    EXPECT_EQ(input, runcheck::testing::read_file(input_path(dir)));
    EXPECT_EQ(example_listing, runcheck::testing::read_file(runs_path(dir)));
  }
}

}  // namespace
