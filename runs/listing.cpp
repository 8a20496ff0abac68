#include "runs/listing.h"

#include <array>
#include <cstring>

namespace runcheck {

namespace {

// Every key the table holds, lowest_written_key to highest_written_key,
// formatted ahead: entry k - lowest_written_key holds the key's decimal text
// followed by a space, and the length of that text, space included. A key
// then costs one 8-byte copy and an add.
struct key_text {
  char text[7];
  std::uint8_t length;
};
static_assert(sizeof(key_text) == 8);

// Built by counting up in decimal from -1, so that it stays within what a
// compiler evaluates at compile time; five digits and a space fill an entry
// and a key's place in run_line_room.
constexpr std::size_t key_text_count = written_key_count;
static_assert(lowest_written_key == -1 && highest_written_key <= 99999 && widest_key_text == 6);

constexpr std::array<key_text, key_text_count> make_key_texts() {
  std::array<key_text, key_text_count> table{};
  table[0] = key_text{{'-', '1', ' '}, 3};
  char digits[5] = {'0'};  // most significant first
  int count = 1;
  for (std::size_t entry = 1; entry != key_text_count; ++entry) {
    key_text& text = table[entry];
    for (int i = 0; i < count; ++i) text.text[i] = digits[i];
    text.text[count] = ' ';
    text.length = static_cast<std::uint8_t>(count + 1);
    // Adds 1 to the digits.
    int i = count - 1;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      for (int j = count; j > 0; --j) digits[j] = digits[j - 1];
      digits[0] = '1';
      ++count;
    }
  }
  return table;
}

constexpr std::array<key_text, key_text_count> key_texts = make_key_texts();

}  // namespace

char* format_run_line(std::span<const stored_key> keys, char* line) {
  char* p = line;
  for (const stored_key key : keys) {
    const key_text& entry = key_texts[static_cast<std::size_t>(key - lowest_written_key)];
    std::memcpy(p, &entry, sizeof entry);
    p += entry.length;
  }
  // The last key's space becomes the line break; an empty run is one.
  if (p != line) --p;
  *p++ = '\n';
  return p;
}

void print_run_set(output& out, const run_set& set) {
  out.put_int(set.run_count).put('\n');
  // Each run line is formatted whole and handed to the writer in one piece.
  char line[run_line_room];
  for (std::int64_t r = 1; r <= set.run_count; ++r) {
    const char* const end = format_run_line(run_keys(set, r), line);
    out.put(std::string_view(line, static_cast<std::size_t>(end - line)));
  }
}

void print_listing(output& out, const run_table& table) {
  for (std::int32_t t = 0; t < table.size(); ++t) print_run_set(out, table[t]);
}

}  // namespace runcheck
