#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include "platform/platform.h"

namespace runcheck::platform {

namespace {

int descriptor(file_handle file) { return static_cast<int>(file); }
file_handle handle(int fd) { return fd < 0 ? file_handle::none : static_cast<file_handle>(fd); }

}  // namespace

opened_file open_regular_file(const char* path) {
  // O_NONBLOCK keeps the open itself from waiting for a FIFO's writer; it
  // does not change how a regular file reads.
  int fd = -1;
  do {
    fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    switch (errno) {
      case ENOENT:
      case ENOTDIR:
        return {.failure = open_failure::no_such_file};
      case EACCES:
      case EPERM:
        return {.failure = open_failure::permission_denied};
      case EISDIR:
        return {.failure = open_failure::is_directory};
      case ENXIO:  // a socket, or a device with nothing behind it
        return {.failure = open_failure::not_regular_file};
      default:
        return {.failure = open_failure::other};
    }
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const bool directory = S_ISDIR(st.st_mode);
    ::close(fd);
    return {.failure = directory ? open_failure::is_directory : open_failure::not_regular_file};
  }
  return {.file = handle(fd)};
}

std::size_t read_block(file_handle file, char* data, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(descriptor(file), data, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) return 0;
  }
}

void close_file(file_handle file) {
  if (file != file_handle::none) ::close(descriptor(file));
}

file_handle create_file(const char* path) {
  int fd = -1;
  do {
    fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return handle(fd);
}

file_handle standard_input() { return handle(STDIN_FILENO); }

std::string standard_input_path() {
#if defined(__linux__)
  // Linux opens /proc/self/fd/0 as the file itself, with an offset of its
  // own; other systems duplicate the descriptor, offset and all.
  struct stat st {};
  if (::fstat(STDIN_FILENO, &st) != 0 || !S_ISREG(st.st_mode)) return {};
  constexpr const char* path = "/proc/self/fd/0";
  const opened_file again = open_regular_file(path);
  if (again.file == file_handle::none) return {};
  close_file(again.file);
  return path;
#else
  return {};
#endif
}

file_handle standard_output() { return handle(STDOUT_FILENO); }

file_handle standard_error() { return handle(STDERR_FILENO); }

std::vector<std::string> program_arguments(int argc, char** argv) {
  return {argv + std::min(argc, 1), argv + argc};
}

void keep_running_when_writes_fail() {
  static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
  static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));
}

bool write_all(file_handle file, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(descriptor(file), bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      return false;
    }
  }
  return true;
}

std::string_view line_end() { return "\n"; }

}  // namespace runcheck::platform
