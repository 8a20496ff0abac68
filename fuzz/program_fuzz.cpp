// Fuzz target for the whole program, in process: run_program over a
// test-case file and a run file cut from the input, printing into memory.
//
// Input: byte 0 says what stands in place of each file, bits 0-2 for the
// test-case file and bits 3-5 for the run file: 5 a named pipe that no one
// writes to, 6 nothing, 7 a directory, anything else the bytes below. The
// rest is the test-case file's bytes, the separator "\n====\n", then the run
// file's bytes (no separator: an empty run file).
//
// Checks: the output starts with the banner and ends with the prompt; and
// the expected listing, written as the run file, passes where it reads back
// in step (no empty run, which a count read would skip, and no run line too
// long for one key-line read).
//
// The run table follows the first count, so allocations above 1 GiB fail
// softly and the program's own "Not enough memory" path stays reachable.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/program.h"
#include "fuzz/fuzz_support.h"
#include "runs/output.h"

// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the sanitizer's name
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

namespace {

std::string lay_out(unsigned placement, const char* name, std::string_view bytes) {
  std::string path = runcheck::fuzzing::scratch_path(name);
  runcheck::fuzzing::write_file(path, bytes);
  if (placement >= 5) std::filesystem::remove(path);
  if (placement == 5) FUZZ_CHECK(::mkfifo(path.c_str(), 0600) == 0);
  if (placement == 7) std::filesystem::create_directory(path);
  return path;
}

std::string run(const std::string& test_cases, const std::string& runs) {
  runcheck::output out;
  runcheck::run_program({test_cases.c_str(), runs.c_str()}, out);
  FUZZ_CHECK(out.text().starts_with("Input file name: \"" + test_cases + "\", buffer_size: 5\n"));
  FUZZ_CHECK(out.text().ends_with("Press Enter Any Key to Finish."));
  return out.text();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::string_view separator = "\n====\n";
  constexpr std::string_view listing_start = "=========================> Output File should be..\n";
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t cut = std::min(rest.find(separator), rest.size());
  const std::string test_cases = lay_out(data[0] & 7, "replacement_input.txt", rest.substr(0, cut));
  const std::string text = run(test_cases, lay_out((data[0] >> 3) & 7, "replacement_output.txt",
                                                   rest.substr(std::min(cut + 6, rest.size()))));
  const std::size_t begin = text.find(listing_start);
  if (begin == std::string::npos) return 0;
  const std::size_t end = text.find('<', begin);  // the line that closes the listing
  FUZZ_CHECK(end != std::string::npos);
  const std::string listing =
      text.substr(begin + listing_start.size(), end - begin - listing_start.size());
  std::size_t longest = 0;
  for (std::size_t at = 0, nl = 0; (nl = listing.find('\n', at)) != std::string::npos;
       at = nl + 1) {
    longest = std::max(longest, nl - at);
  }
  if (listing.find("\n\n") != std::string::npos || longest >= 1999) return 0;
  FUZZ_CHECK(
      run(test_cases, lay_out(0, "listing.txt", listing))
          .ends_with("Your File PASS the TEST\n<===============================================\n"
                     "Press Enter Any Key to Finish."));
  return 0;
}
