// Fuzz target for the whole program, in process: run_program over a
// test-case file and a run file cut from the fuzz input, printing into a
// memory output.
//
// Input: byte 0 says what stands in place of each file: bits 0-2 for the
// test-case file, bits 3-5 for the run file; 5 means a named pipe that no
// one writes to, 6 the file is missing, 7 a directory, anything else the
// bytes below. The rest is the test-case
// file's bytes, then the separator "\n====\n", then the run file's bytes
// (no separator: an empty run file).
//
// Checks on every input: the output starts with the banner and ends with the
// prompt. And where the program printed an expected listing, that listing
// written as the run file must pass, unless the listing itself cannot be
// read back: a run line too long for one key-line read, or a test case whose
// first run is empty followed by another test case (its count read skips
// the empty run lines). And runcheck-explain --json, run on the same files,
// gives runcheck's verdict for every test case and the exit status that
// runcheck's output calls for: 0 pass, 1 fail, 2 when the checker never ran.
//
// The run table grows with the test cases generated. The program's own
// "Not enough memory" path must be reachable, so allocations above 1 GiB
// fail softly (max_allocation_size_mb below; fuzz/run.sh raises
// -malloc_limit_mb above it), rather than being a finding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/program.h"
#include "explain/explain.h"
#include "fuzz/fuzz_support.h"
#include "runs/output.h"

// The sanitizer runtime looks this name up.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

namespace {

using namespace std::string_view_literals;

constexpr std::string_view file_separator = "\n====\n";
constexpr std::string_view prompt = "Press Enter Any Key to Finish.";
constexpr std::string_view listing_start = "=========================> Output File should be..\n";
constexpr std::string_view listing_end =
    "<===============================================\n\n\n=========================> Test\n";

enum class placement { bytes, fifo, missing, directory };

placement placement_of(unsigned bits) {
  if (bits == 5) return placement::fifo;
  if (bits == 6) return placement::missing;
  if (bits == 7) return placement::directory;
  return placement::bytes;
}

// The path the program is given for one file.
std::string lay_out(placement where, const char* name, std::string_view bytes) {
  if (where == placement::missing) return runcheck::fuzzing::scratch_path("missing");
  if (where == placement::directory) {
    std::string dir = runcheck::fuzzing::scratch_path("directory");
    runcheck::fuzzing::make_directory(dir);
    return dir;
  }
  std::string path = runcheck::fuzzing::scratch_path(name);
  if (where == placement::fifo) {
    runcheck::fuzzing::make_fifo(path);
  } else {
    runcheck::fuzzing::write_whole_file(path, bytes);
  }
  return path;
}

std::string run(const std::string& test_case_path, const std::string& run_path) {
  runcheck::output out;
  runcheck::run_program({test_case_path.c_str(), run_path.c_str()}, out);
  const std::string& text = out.text();
  const std::string banner = "Input file name: \"" + test_case_path + "\", buffer_size: 5\n";
  FUZZ_CHECK(text.compare(0, banner.size(), banner) == 0);
  FUZZ_CHECK(text.size() >= banner.size() + prompt.size() &&
             text.compare(text.size() - prompt.size(), prompt.size(), prompt) == 0);
  return text;
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

void check_explain_agrees(const std::string& test_case_path, const std::string& run_path,
                          const std::string& text) {
  runcheck::output out;
  runcheck::output err;
  const std::string_view args[] = {"--json", test_case_path, run_path};
  const int status = runcheck::explain::run(args, out, err);
  int want = 2;
  if (text.find("\n================================================\n") != std::string::npos) {
    want = text.find("\nYour File PASS the TEST\n") != std::string::npos ? 0 : 1;
  }
  FUZZ_CHECK(status == want);
  FUZZ_CHECK(verdicts(text, "\n....PASSED\n", "\n....FAILED\n") ==
             verdicts(out.text(), R"("verdict": "passed")", R"("verdict": "failed")"));
}

// True when a run file equal to `listing` is read back in step: every run
// line fits in one key-line read, and no test case but the last has an
// empty first run.
bool reads_back_in_step(std::string_view listing) {
  std::size_t pos = 0;
  auto next_line = [&] {
    const std::size_t end = listing.find('\n', pos);
    FUZZ_CHECK(end != std::string_view::npos);
    const std::string_view line = listing.substr(pos, end - pos);
    pos = end + 1;
    return line;
  };
  bool empty_first_run = false;
  while (pos < listing.size()) {
    if (empty_first_run) return false;  // and another test case follows
    const std::string_view count = next_line();
    const long runs = std::stol(std::string(count));
    FUZZ_CHECK(runs >= 1);
    for (long r = 0; r < runs; ++r) {
      const std::string_view line = next_line();
      if (line.size() + 1 > 1999) return false;
      if (r == 0) empty_first_run = line.empty();
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const placement test_cases = placement_of(data[0] & 7);
  const placement runs = placement_of((data[0] >> 3) & 7);
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t cut = rest.find(file_separator);
  const std::string_view test_case_bytes = rest.substr(0, cut);
  const std::string_view run_bytes =
      cut == std::string_view::npos ? ""sv : rest.substr(cut + file_separator.size());

  const std::string test_case_path = lay_out(test_cases, "replacement_input.txt", test_case_bytes);
  const std::string run_path = lay_out(runs, "replacement_output.txt", run_bytes);
  const std::string text = run(test_case_path, run_path);
  check_explain_agrees(test_case_path, run_path, text);

  // The expected listing, written as the run file, must pass.
  const std::size_t begin = text.find(listing_start);
  if (begin == std::string::npos) return 0;
  const std::size_t listing_begin = begin + listing_start.size();
  const std::size_t end = text.find(listing_end, listing_begin);
  FUZZ_CHECK(end != std::string::npos);
  const std::string_view listing =
      std::string_view(text).substr(listing_begin, end - listing_begin);
  if (!reads_back_in_step(listing)) return 0;
  const std::string again =
      run(test_case_path, lay_out(placement::bytes, "listing_as_run_file.txt", listing));
  FUZZ_CHECK(again.find("Your File PASS the TEST\n") != std::string::npos);
  return 0;
}
