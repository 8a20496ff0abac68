// Fuzz target for the two reading rules: scan_count and scan_key_line
// against a plain reference of the same rules (fold CR LF, then a strtol
// "%d\n" read, and a line read of at most 1999 characters cut at spaces and
// converted as atoi would, saturating).
//
// Input: byte 0 picks the reads, bit i (cycled) for read i: 0 a count read,
// 1 a key-line read. Byte 1 places the text in a file after 65536 - j bytes
// of padding, so that it meets the reader's 64 KiB block boundary j bytes in
// (j is bits 2-5, the pad character bits 6-7). The rest of the input is the
// text; with bit 0 set it stands at the start of the file instead, where a
// leading UTF-8 byte order mark is skipped.
// After every read both must agree on the result and the next character,
// and at the end on everything left.
#include <algorithm>
#include <cctype>
#include <climits>
#include <utility>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "input/reading.h"

namespace {

std::int32_t saturated(const char* text, char** end = nullptr) {
  return static_cast<std::int32_t>(
      std::clamp<long>(std::strtol(text, end, 10), INT32_MIN, INT32_MAX));
}

// The reference: the text with its line ends folded, read from `pos`.
struct reference {
  std::string text;
  std::size_t pos = 0;

  int peek() const { return pos < text.size() ? static_cast<unsigned char>(text[pos]) : -1; }

  std::int32_t count() {
    while (std::isspace(peek()) != 0) ++pos;
    const std::size_t start = pos;
    if (peek() == '-' || peek() == '+') ++pos;  // consumed even when no digit follows
    if (std::isdigit(peek()) == 0) return 0;
    char* end = nullptr;
    const std::int32_t value = saturated(text.c_str() + start, &end);
    for (pos = static_cast<std::size_t>(end - text.c_str()); std::isspace(peek()) != 0;) ++pos;
    return value;
  }

  // One key-line read: the numbers, and the characters taken.
  std::pair<std::vector<std::int32_t>, std::size_t> key_line() {
    const std::size_t end = std::min(std::min(text.find('\n', pos), text.size() - 1) + 1,
                                     pos + runcheck::read_str_size - 1);
    std::vector<std::int32_t> numbers;
    for (std::size_t i = pos, stop = 0; i < end; i = stop + 1) {
      stop = std::min(text.find(' ', i), end);
      if (stop > i) numbers.push_back(saturated(text.substr(i, stop - i).c_str()));  // NUL ends it
    }
    return {numbers, end - std::exchange(pos, end)};
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  if ((data[1] & 1) == 0) bytes.insert(0, 65536 - ((data[1] >> 2) & 15), " \r7x"[data[1] >> 6]);
  runcheck::fuzzing::write_file("reading.txt", bytes);
  std::optional<runcheck::text_reader> file = runcheck::open_text_file("reading.txt");
  reference ref{bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes};
  for (std::size_t at = 0; (at = ref.text.find("\r\n", at)) != std::string::npos;)
    ref.text.erase(at, 1);
  runcheck::key_line line;
  // A count read that meets no number consumes nothing, so the reads are bounded.
  for (unsigned step = 0; step < 4096 && ref.pos < ref.text.size(); ++step) {
    if (((data[0] >> (step % 8)) & 1) != 0) {
      runcheck::scan_key_line(*file, line);
      const std::vector<std::int32_t> numbers(line.view().begin(), line.view().end());
      FUZZ_CHECK(ref.key_line() == std::pair(numbers, line.chars_read));
    } else {
      FUZZ_CHECK(runcheck::scan_count(*file) == ref.count());
    }
    FUZZ_CHECK(file->peek() == ref.peek());
  }
  for (; ref.pos < ref.text.size(); ++ref.pos) FUZZ_CHECK(file->get() == ref.peek());
  runcheck::scan_key_line(*file, line);  // at the end both reads give nothing
  FUZZ_CHECK(line.chars_read == 0 && line.count == 0 && runcheck::scan_count(*file) == 0 &&
             file->get() == -1);
  return 0;
}
