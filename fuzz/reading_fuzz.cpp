// Fuzz target for the two reading rules: a differential check of
// scan_count and scan_key_line against a plain reference of the same rules
// (drop a leading byte order mark, fold CRLF, then a strtol-based "%d\n"
// read, and a line read of at most 1999 characters cut at spaces and
// converted as atoi would, saturating).
//
// Input: byte 0 picks the reads, bit i (cycled) for read i: 0 a count read,
// 1 a key-line read. Byte 1 picks the source, from its bits 0-1:
//   0, 3: the text in memory;
//   1: a file holding a pad of 65536 - j bytes (j = bits 2-5, pad character
//      from bits 6-7) and then the text, so that the text meets the
//      reader's 64 KiB block boundary;
//   2: a pipe in packet mode that hands the text out in pieces of
//      1 + bits 2-7 bytes, one piece per read(), so that the reader meets
//      short reads, and carriage returns at their ends;
// files and pipes are read through open_text_file. The rest of the input
// is the text.
//
// After every read both sides must agree on the result and on the next
// character; at the end, on everything that is left.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "input/reading.h"
#include "input/text_reader.h"

namespace {

using runcheck::key_line;
using runcheck::text_reader;

// The reference: the whole text in memory, line ends folded up front.
struct reference_reader {
  std::string text;
  std::size_t pos = 0;

  int peek() const {
    return pos < text.size() ? static_cast<unsigned char>(text[pos]) : text_reader::end_of_file;
  }
};

std::string fold_crlf(std::string_view raw) {
  std::string folded;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    folded.push_back(raw[i]);
  }
  return folded;
}

bool c_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::int32_t clamp_to_int32(long value) {
  if (value < INT32_MIN) return INT32_MIN;
  if (value > INT32_MAX) return INT32_MAX;
  return static_cast<std::int32_t>(value);
}

// atoi with saturation: leading white space, a sign, digits. The token is a
// NUL-terminated copy, and NUL is no digit, so a NUL ends the number.
std::int32_t convert(const std::string& token) {
  return clamp_to_int32(std::strtol(token.c_str(), nullptr, 10));
}

std::int32_t reference_count(reference_reader& r) {
  while (r.pos < r.text.size() && c_space(r.text[r.pos])) ++r.pos;
  const std::size_t start = r.pos;
  if (r.pos < r.text.size() && (r.text[r.pos] == '-' || r.text[r.pos] == '+')) ++r.pos;
  if (r.pos == r.text.size() || !std::isdigit(static_cast<unsigned char>(r.text[r.pos]))) return 0;
  char* end = nullptr;
  const long value = std::strtol(r.text.c_str() + start, &end, 10);
  r.pos = static_cast<std::size_t>(end - r.text.c_str());
  while (r.pos < r.text.size() && c_space(r.text[r.pos])) ++r.pos;
  return clamp_to_int32(value);
}

struct reference_line {
  std::vector<std::int32_t> numbers;
  std::size_t chars_read = 0;
};

reference_line reference_key_line(reference_reader& r) {
  std::string line;
  while (r.pos < r.text.size() && line.size() < runcheck::read_str_size - 1) {
    line.push_back(r.text[r.pos++]);
    if (line.back() == '\n') break;
  }
  reference_line result;
  result.chars_read = line.size();
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    const std::size_t end = line.find(' ', i);
    const std::size_t stop = end == std::string::npos ? line.size() : end;
    result.numbers.push_back(convert(line.substr(i, stop - i)));
    i = stop;
  }
  return result;
}

// Writes `text` into a pipe in packet mode, `piece` bytes a packet (as many
// packets as the pipe holds, the rest in the last one), closes the writing
// end and reads the pipe's reading end.
std::optional<text_reader> read_through_pipe(std::string_view text, std::size_t piece) {
  int ends[2] = {-1, -1};
  FUZZ_CHECK(::pipe2(ends, O_DIRECT | O_CLOEXEC) == 0);
  // Each packet takes one of the pipe's page-sized slots, however short.
  static_cast<void>(::fcntl(ends[1], F_SETPIPE_SZ, 1 << 20));
  // Every write must fit, since nothing reads before the last one: the
  // pieces take one slot each, the rest as many as it has pages.
  const long slots = ::fcntl(ends[1], F_GETPIPE_SZ) / 4096;
  const auto rest_slots = static_cast<long>(text.size() / 4096 + 1);
  FUZZ_CHECK(slots > rest_slots);
  auto packets = static_cast<std::size_t>(slots - rest_slots);
  while (!text.empty()) {
    const std::size_t n = packets > 1 ? std::min(piece, text.size()) : text.size();
    FUZZ_CHECK(::write(ends[1], text.data(), n) == static_cast<ssize_t>(n));
    text.remove_prefix(n);
    --packets;
  }
  ::close(ends[1]);
  return text_reader::from_descriptor(ends[0]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned reads = data[0];
  const unsigned source = data[1];
  const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);

  std::string bytes;
  std::optional<text_reader> file;
  if ((source & 3) == 1) {
    static const char pad_chars[] = {' ', '\r', '7', 'x'};
    const std::size_t pad = 65536 - ((source >> 2) & 15);
    bytes.assign(pad, pad_chars[(source >> 6) & 3]);
    bytes.append(rest);
    const std::string path = runcheck::fuzzing::scratch_path("reading.txt");
    runcheck::fuzzing::write_whole_file(path, bytes);
    file = runcheck::open_text_file(path.c_str());
  } else if ((source & 3) == 2 && rest.size() <= std::size_t{64} * 1024) {
    bytes.assign(rest);
    file = read_through_pipe(bytes, 1 + (source >> 2));
  } else {
    bytes.assign(rest);
    file = text_reader::from_memory(bytes);
  }
  FUZZ_CHECK(file.has_value());

  // A byte order mark is skipped only as the very first bytes of the source.
  std::string_view unmarked = bytes;
  if (unmarked.starts_with("\xEF\xBB\xBF")) unmarked.remove_prefix(3);
  reference_reader ref{fold_crlf(unmarked)};
  key_line line;
  // A count read that meets no number consumes nothing, so the number of
  // reads is bounded rather than run until the end.
  for (unsigned step = 0; step < 4096 && ref.pos < ref.text.size(); ++step) {
    if ((reads >> (step % 8)) & 1) {
      const reference_line want = reference_key_line(ref);
      runcheck::scan_key_line(*file, line);
      FUZZ_CHECK(line.chars_read == want.chars_read);
      FUZZ_CHECK(line.count == want.numbers.size());
      for (std::size_t k = 0; k < line.count; ++k) FUZZ_CHECK(line.numbers[k] == want.numbers[k]);
    } else {
      const std::int32_t want = reference_count(ref);
      FUZZ_CHECK(runcheck::scan_count(*file) == want);
    }
    FUZZ_CHECK(file->peek() == ref.peek());
  }
  while (ref.pos < ref.text.size()) {
    FUZZ_CHECK(file->get() == static_cast<unsigned char>(ref.text[ref.pos++]));
  }
  // At the end of the file both reads give nothing.
  FUZZ_CHECK(file->at_end());
  FUZZ_CHECK(runcheck::scan_count(*file) == 0);
  runcheck::scan_key_line(*file, line);
  FUZZ_CHECK(line.count == 0 && line.chars_read == 0);
  FUZZ_CHECK(file->get() == text_reader::end_of_file);
  return 0;
}
