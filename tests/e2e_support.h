// Helpers for end-to-end tests: run the built runcheck in a fresh temporary
// directory and collect what it printed.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace runcheck::testing {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class temp_dir {
 public:
  temp_dir();
  ~temp_dir();
  temp_dir(const temp_dir&) = delete;
  temp_dir& operator=(const temp_dir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct run_outcome {
  bool exited = false;  // ended by returning from main or calling exit
  int exit_status = -1;
  int term_signal = 0;     // the signal that ended it, when it did not exit
  bool timed_out = false;  // killed after the time limit
  std::string stdout_text;
  std::string stderr_text;  // only with run_options::capture_stderr
  std::chrono::duration<double> elapsed{};
  // Peak resident memory of the child in KiB (wait4's ru_maxrss). It counts
  // the copy of the test process that fork made before the exec, so it is an
  // upper bound on the program's own peak.
  long peak_rss_kib = 0;
};

struct run_options {
  std::vector<std::string> arguments;  // after the program's name
  bool capture_stderr = false;
  // Standard input comes from this file; when empty, the child starts with
  // standard input closed.
  std::string stdin_path = "/dev/null";
  // When set, standard output goes to this file (opened for writing, created
  // when missing) instead of being captured.
  std::string stdout_path;
  // When set, standard output is a pipe whose reader takes this many bytes
  // (they become stdout_text) and then closes its end, as `head -c N` does.
  std::size_t stdout_pipe_read_limit = 0;
  // The child starts with standard output closed; nothing is captured.
  bool close_stdout = false;
  // When set, the child may write files of at most this many bytes
  // (RLIMIT_FSIZE), standard output included.
  std::size_t file_size_limit = 0;
  std::chrono::milliseconds timeout{60'000};
};

// Runs `binary` with `directory` as its working directory.
run_outcome run_in_directory(const std::filesystem::path& binary,
                             const std::filesystem::path& directory,
                             const run_options& options = {});

void write_file(const std::filesystem::path& path, const std::string& bytes);

// Writes `head`, then `body` repeated until `total_bytes` bytes have been
// written in all (the last copy cut short), then `tail`. The file is written
// in pieces, so the test process never holds it whole.
void write_repeated(const std::filesystem::path& path, std::string_view head, std::string_view body,
                    std::size_t total_bytes, std::string_view tail = {});
std::string read_file(const std::filesystem::path& path);

}  // namespace runcheck::testing
