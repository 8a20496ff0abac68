#include "fuzz/fuzz_support.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace runcheck::fuzzing {

namespace {

std::filesystem::path make_scratch_dir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "runcheck-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  return pattern;
}

const std::filesystem::path& scratch_dir() {
  static const std::filesystem::path dir = make_scratch_dir();
  static const bool cleanup_registered = [] {
    return std::atexit([] {
             std::error_code ignored;
             std::filesystem::remove_all(scratch_dir(), ignored);
           }) == 0;
  }();
  static_cast<void>(cleanup_registered);
  return dir;
}

}  // namespace

void check_failed(const char* condition, const char* file, int line) {
  static_cast<void>(std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition));
  std::abort();
}

std::string scratch_path(std::string_view name) { return (scratch_dir() / name).string(); }

void make_directory(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  if (error) check_failed("scratch directory made", __FILE__, __LINE__);
}

void make_fifo(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  if (::mkfifo(path.c_str(), 0600) != 0) check_failed("scratch fifo made", __FILE__, __LINE__);
}

void write_whole_file(const std::string& path, std::string_view bytes) {
  // A named pipe left at the path by an earlier input would block the open.
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) check_failed("scratch file written", __FILE__, __LINE__);
}

}  // namespace runcheck::fuzzing
