#include "e2e_support.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
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

void write_repeated(const std::filesystem::path& path, std::string_view head, std::string_view body,
                    std::size_t total_bytes, std::string_view tail) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(head.data(), static_cast<std::streamsize>(head.size()));
  if (!body.empty()) {
    // About a megabyte of whole copies per write.
    std::string piece;
    while (piece.size() < (std::size_t{1} << 20)) piece.append(body);
    for (std::size_t written = head.size(); written < total_bytes; written += piece.size()) {
      const std::size_t n = std::min(total_bytes - written, piece.size());
      file.write(piece.data(), static_cast<std::streamsize>(n));
    }
  }
  file.write(tail.data(), static_cast<std::streamsize>(tail.size()));
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

run_outcome run_in_directory(const std::filesystem::path& binary,
                             const std::filesystem::path& directory, const run_options& options) {
  temp_dir capture;
  const bool use_pipe = options.stdout_pipe_read_limit > 0;
  const bool capture_file = options.stdout_path.empty() && !use_pipe && !options.close_stdout;
  const std::string stdout_path =
      capture_file ? (capture.path() / "stdout").string() : options.stdout_path;
  const std::string binary_path = std::filesystem::absolute(binary).string();
  const std::string stderr_path = (capture.path() / "stderr").string();
  std::vector<char*> argv = {const_cast<char*>(binary_path.c_str())};
  for (const std::string& arg : options.arguments) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  int pipe_ends[2] = {-1, -1};
  if (use_pipe && ::pipe2(pipe_ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const auto start = std::chrono::steady_clock::now();

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Child: only async-signal-safe calls from here to exec.
    if (options.stdin_path.empty()) {
      ::close(STDIN_FILENO);
    } else {
      const int in = ::open(options.stdin_path.c_str(), O_RDONLY);
      if (in < 0 || ::dup2(in, STDIN_FILENO) < 0) ::_exit(127);
      if (in != STDIN_FILENO) ::close(in);
    }
    if (options.close_stdout) {
      ::close(STDOUT_FILENO);
    } else {
      const int out =
          use_pipe ? pipe_ends[1] : ::open(stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0) ::_exit(127);
      if (out != STDOUT_FILENO) ::close(out);
    }
    if (options.capture_stderr) {
      const int err = ::open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (err < 0 || ::dup2(err, STDERR_FILENO) < 0) ::_exit(127);
    }
    if (options.file_size_limit > 0) {
      const rlimit limit{options.file_size_limit, options.file_size_limit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
    }
    if (::chdir(directory.c_str()) != 0) ::_exit(127);
    ::execv(binary_path.c_str(), argv.data());
    ::_exit(127);
  }

  run_outcome outcome;
  int reader = -1;
  if (use_pipe) {
    ::close(pipe_ends[1]);
    reader = pipe_ends[0];
  }
  int status = 0;
  rusage usage{};
  for (;;) {
    const pid_t done = ::wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() - start > options.timeout) {
      ::kill(pid, SIGKILL);
      ::wait4(pid, &status, 0, &usage);
      outcome.timed_out = true;
      break;
    }
    if (reader >= 0) {
      // Take what the pipe holds, up to the limit, then close it for good.
      pollfd ready{reader, POLLIN, 0};
      if (::poll(&ready, 1, 2) > 0) {
        char bytes[4096];
        const std::size_t want =
            std::min(sizeof bytes, options.stdout_pipe_read_limit - outcome.stdout_text.size());
        const ssize_t n = ::read(reader, bytes, want);
        if (n > 0) outcome.stdout_text.append(bytes, static_cast<std::size_t>(n));
        if (n <= 0 || outcome.stdout_text.size() >= options.stdout_pipe_read_limit) {
          ::close(reader);
          reader = -1;
        }
      }
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  if (reader >= 0) {
    // The child is gone: whatever it wrote is in the pipe.
    char bytes[4096];
    const std::size_t want =
        std::min(sizeof bytes, options.stdout_pipe_read_limit - outcome.stdout_text.size());
    const ssize_t n = want > 0 ? ::read(reader, bytes, want) : 0;
    if (n > 0) outcome.stdout_text.append(bytes, static_cast<std::size_t>(n));
    ::close(reader);
  }
  outcome.elapsed = std::chrono::steady_clock::now() - start;
  outcome.exited = WIFEXITED(status);
  outcome.exit_status = outcome.exited ? WEXITSTATUS(status) : -1;
  outcome.term_signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  outcome.peak_rss_kib = usage.ru_maxrss;
  if (capture_file) outcome.stdout_text = read_file(stdout_path);
  if (options.capture_stderr) outcome.stderr_text = read_file(stderr_path);
  return outcome;
}

}  // namespace runcheck::testing
