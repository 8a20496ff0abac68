// Helpers shared by the fuzz targets: a check that stops the process with
// a report the fuzzer records, and scratch files in a directory of this
// process's own.
#pragma once

#include <string>
#include <string_view>

namespace runcheck::fuzzing {

// Prints the failed condition and aborts, so the fuzzer saves the input.
[[noreturn]] void check_failed(const char* condition, const char* file, int line);

// A path in this process's scratch directory, made on first use and removed
// when the process exits.
std::string scratch_path(std::string_view name);

// Makes the directory at `path` unless it is there.
void make_directory(const std::string& path);

// Replaces whatever is at `path` with a named pipe.
void make_fifo(const std::string& path);

// Replaces whatever is at `path` with a file holding `bytes`.
void write_whole_file(const std::string& path, std::string_view bytes);

}  // namespace runcheck::fuzzing

#define FUZZ_CHECK(condition)         \
  ((condition) ? static_cast<void>(0) \
               : ::runcheck::fuzzing::check_failed(#condition, __FILE__, __LINE__))
