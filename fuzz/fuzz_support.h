// Shared by the fuzz targets: a check that aborts with a report the fuzzer
// records, and files in a scratch directory of this process's own.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition)         \
  ((condition) ? static_cast<void>(0) \
               : ::runcheck::fuzzing::check_failed(#condition, __FILE__, __LINE__))

namespace runcheck::fuzzing {

[[noreturn]] inline void check_failed(const char* condition, const char* file, int line) {
  static_cast<void>(std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition));
  std::abort();
}

// The path of `name` in the scratch directory, made on first use and
// removed when the process exits.
inline std::string scratch_path(std::string_view name) {
  static const struct scratch_dir {
    std::string path = (std::filesystem::temp_directory_path() / "runcheck-fuzz-XXXXXX").string();
    scratch_dir() { FUZZ_CHECK(::mkdtemp(path.data()) != nullptr); }
    ~scratch_dir() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  } dir;
  return dir.path + "/" + std::string(name);
}

// Replaces whatever is at `path` (a pipe there would block the open) with a
// file holding `bytes`.
inline void write_file(const std::string& path, std::string_view bytes) {
  std::filesystem::remove_all(path);
  std::ofstream file(path, std::ios::binary);
  FUZZ_CHECK(file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush().good());
}

}  // namespace runcheck::fuzzing
