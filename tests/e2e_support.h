// Helpers for end-to-end tests: run the built runcheck in a fresh temporary
// directory and collect what it printed.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

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
  bool timed_out = false;  // killed after the time limit
  std::string stdout_text;
  std::chrono::duration<double> elapsed{};
};

struct run_options {
  std::string stdin_path = "/dev/null";
  // When set, standard output goes to this file instead of being captured.
  std::string stdout_path;
  std::chrono::seconds timeout{60};
};

// Runs `binary` with `directory` as its working directory.
run_outcome run_in_directory(const std::filesystem::path& binary,
                             const std::filesystem::path& directory,
                             const run_options& options = {});

void write_file(const std::filesystem::path& path, const std::string& bytes);
std::string read_file(const std::filesystem::path& path);

}  // namespace runcheck::testing
