#include "e2e_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace runcheck::testing {

temp_dir::temp_dir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "runcheck-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

temp_dir::~temp_dir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void write_file(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

run_outcome run_in_directory(const std::filesystem::path& binary,
                             const std::filesystem::path& directory, const run_options& options) {
  temp_dir capture;
  const std::string stdout_path =
      options.stdout_path.empty() ? (capture.path() / "stdout").string() : options.stdout_path;
  const std::string binary_path = std::filesystem::absolute(binary).string();
  const auto start = std::chrono::steady_clock::now();

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Child: only async-signal-safe calls from here to exec.
    const int in = ::open(options.stdin_path.c_str(), O_RDONLY);
    const int out = ::open(stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || ::chdir(directory.c_str()) != 0) ::_exit(127);
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    char* const argv[] = {const_cast<char*>(binary_path.c_str()), nullptr};
    ::execv(binary_path.c_str(), argv);
    ::_exit(127);
  }

  run_outcome outcome;
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() - start > options.timeout) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      outcome.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  outcome.elapsed = std::chrono::steady_clock::now() - start;
  outcome.exited = WIFEXITED(status);
  outcome.exit_status = outcome.exited ? WEXITSTATUS(status) : -1;
  if (options.stdout_path.empty()) outcome.stdout_text = read_file(stdout_path);
  return outcome;
}

}  // namespace runcheck::testing
