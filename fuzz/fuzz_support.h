// Shared by the fuzz targets: a check that aborts with a report the fuzzer
// records, and the files they write, which go into the current directory
// (one directory per fuzzing process).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                   \
  ((condition) ? static_cast<void>(0)                                                           \
               : (static_cast<void>(std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, \
                                                 __LINE__, #condition)),                        \
                  std::abort()))

namespace runcheck::fuzzing {

// Replaces whatever is at `path` (a pipe there would block the open) with a
// file holding `bytes`.
inline void write_file(const char* path, std::string_view bytes) {
  std::filesystem::remove_all(path);
  std::ofstream file(path, std::ios::binary);
  FUZZ_CHECK(file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush().good());
}

}  // namespace runcheck::fuzzing
