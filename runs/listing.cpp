#include "runs/listing.h"

#include <charconv>

namespace runcheck {

void print_run_set(output& out, const run_set& set) {
  out.put_int(set.run_count).put('\n');
  // A run line is at most 500 keys of 11 characters and their separators;
  // it is formatted whole and handed to the writer in one piece.
  char line[max_run_keys * 12 + 1];
  for (std::int64_t r = 1; r <= set.run_count; ++r) {
    // Each run line starts with a cache miss on its keys; the next run's
    // are asked for while this one is formatted.
    prefetch_run(set, r + 1);
    char* p = line;
    for (const std::int32_t key : run_keys(set, r)) {
      if (p != line) *p++ = ' ';
      p = std::to_chars(p, line + sizeof line, key).ptr;
    }
    *p++ = '\n';
    out.put(std::string_view(line, static_cast<std::size_t>(p - line)));
  }
}

void print_listing(output& out, const run_table& table) {
  for (std::int32_t t = 0; t < table.size(); ++t) {
    if (t + 1 < table.size()) prefetch_run_set(table[t + 1]);
    print_run_set(out, table[t]);
  }
}

}  // namespace runcheck
