// Running a program under test on POSIX systems: fork and exec into a
// process group of its own, so that killing the group ends every process it
// started; a pipe that the signal handlers write to wakes the wait as soon
// as the program ends or an interrupt comes.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/platform.h"

namespace runcheck::platform {

namespace {

volatile std::sig_atomic_t interrupt_seen = 0;
int wake_pipe[2] = {-1, -1};

// A child ended (SIGCHLD), or an interrupt came: wake the wait.
extern "C" void on_signal(int signal_number) {
  const int saved = errno;
  if (signal_number != SIGCHLD) interrupt_seen = 1;
  if (wake_pipe[1] >= 0) {
    const char byte = 0;
    static_cast<void>(!::write(wake_pipe[1], &byte, 1));
  }
  errno = saved;
}

void handle(int signal_number) {
  struct sigaction action {};
  action.sa_handler = on_signal;  // NOLINT(cppcoreguidelines-pro-type-union-access)
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | (signal_number == SIGCHLD ? SA_NOCLDSTOP : 0);
  ::sigaction(signal_number, &action, nullptr);
}

// The wake pipe and the SIGCHLD handler, once.
bool set_up_waking() {
  if (wake_pipe[0] >= 0) return true;
  int ends[2] = {-1, -1};
  if (::pipe(ends) != 0) return false;
  for (const int fd : ends) {
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  }
  wake_pipe[0] = ends[0];
  wake_pipe[1] = ends[1];
  handle(SIGCHLD);
  return true;
}

void drain_wake_pipe() {
  char bytes[64];
  while (::read(wake_pipe[0], bytes, sizeof bytes) > 0) {
  }
}

int open_retrying(const char* path, int flags) {
  int fd = -1;
  do {
    fd = ::open(path, flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

std::int64_t size_of(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

std::int64_t size_of(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

std::string why_not_started(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return "not found";
    case EACCES:
    case EPERM:
      return "not executable (permission denied)";
    case ENOEXEC:
      return "not a program this system can run";
    default:
      return std::strerror(error);
  }
}

// In the child, between fork and exec: only calls that are safe there.
[[noreturn]] void start_child(const program_request& request, char* const* argv, int in, int out,
                              int err, int report) {
  ::setpgid(0, 0);
  // What this program ignores or catches is the program's to decide again.
  for (const int s : {SIGPIPE, SIGXFSZ, SIGINT, SIGTERM, SIGHUP, SIGCHLD, SIGQUIT})
    static_cast<void>(std::signal(s, SIG_DFL));
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  int error = 0;
  if (::dup2(in, STDIN_FILENO) < 0 || ::dup2(out, STDOUT_FILENO) < 0 ||
      ::dup2(err, STDERR_FILENO) < 0 || ::chdir(request.folder.c_str()) != 0) {
    error = errno;
  } else {
    ::execvp(argv[0], argv);
    error = errno;
  }
  static_cast<void>(!::write(report, &error, sizeof error));
  ::_exit(127);
}

}  // namespace

program_ending run_program(const program_request& request) {
  using clock = std::chrono::steady_clock;
  program_ending ending;
  if (request.command.empty())
    return {.what = program_ending::how::not_started, .why = "no program named"};
  if (!set_up_waking())
    return {.what = program_ending::how::not_started, .why = std::strerror(errno)};

  // A program named with a folder is found from the current folder; the
  // child changes to `folder` before it starts the program.
  std::vector<std::string> words(request.command.begin(), request.command.end());
  if (words[0].find('/') != std::string::npos && words[0][0] != '/')
    words[0] = current_folder() + "/" + words[0];
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const int in = open_retrying(request.standard_input.c_str(), O_RDONLY);
  const int out = open_retrying(request.standard_output.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
  const int err = open_retrying(request.standard_error.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
  int report[2] = {-1, -1};
  const auto close_all = [&] {
    for (const int fd : {in, out, err, report[0], report[1]})
      if (fd >= 0) ::close(fd);
  };
  if (in < 0 || out < 0 || err < 0 || ::pipe(report) != 0) {
    ending = {.what = program_ending::how::not_started, .why = std::strerror(errno)};
    close_all();
    return ending;
  }
  ::fcntl(report[0], F_SETFD, FD_CLOEXEC);
  ::fcntl(report[1], F_SETFD, FD_CLOEXEC);
  drain_wake_pipe();

  const clock::time_point start = clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) {
    ending = {.what = program_ending::how::not_started, .why = std::strerror(errno)};
    close_all();
    return ending;
  }
  if (pid == 0) start_child(request, argv.data(), in, out, err, report[1]);
  ::setpgid(pid, pid);  // as the child does, whichever comes first
  ::close(report[1]);
  report[1] = -1;
  // The report pipe closes at the exec; an error number comes first where
  // the exec failed.
  int error = 0;
  ssize_t got = 0;
  do {
    got = ::read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  if (got == static_cast<ssize_t>(sizeof error)) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    close_all();
    return {.what = program_ending::how::not_started, .why = why_not_started(error)};
  }

  // Wait for the end, the time limit, a file past the cap or an interrupt,
  // looking at the files' sizes at least every few milliseconds. The
  // program is left a zombie (WNOWAIT) until its group is killed, so that
  // its process id cannot name another group meanwhile.
  constexpr auto slice = std::chrono::milliseconds(10);
  const auto limit = std::chrono::duration_cast<clock::duration>(
      std::chrono::duration<double>(request.time_limit));
  bool ended = false;
  for (;;) {
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid) {
      ended = true;
      break;
    }
    if (interrupt_seen != 0) {
      ending.what = program_ending::how::interrupted;
      break;
    }
    const clock::duration spent = clock::now() - start;
    if (spent >= limit) {
      ending.what = program_ending::how::timed_out;
      break;
    }
    const std::int64_t sizes[] = {
        size_of(out), size_of(err),
        request.watched_file.empty() ? 0 : size_of(request.folder + "/" + request.watched_file)};
    const auto* over = std::find_if(std::begin(sizes), std::end(sizes),
                                    [&](std::int64_t size) { return size > request.size_cap; });
    if (request.size_cap > 0 && over != std::end(sizes)) {
      ending = {.what = program_ending::how::too_much_output, .code = over - std::begin(sizes)};
      break;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::min<clock::duration>(slice, limit - spent));
    pollfd wake{.fd = wake_pipe[0], .events = POLLIN, .revents = 0};
    if (::poll(&wake, 1, static_cast<int>(wait.count()) + 1) > 0) drain_wake_pipe();
  }
  ::kill(-pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  ending.seconds = std::chrono::duration<double>(clock::now() - start).count();
  if (ended) {
    if (WIFSIGNALED(status)) {
      ending.what = program_ending::how::crashed;
      ending.code = WTERMSIG(status);
    } else {
      ending.what = program_ending::how::exited;
      ending.code = WEXITSTATUS(status);
    }
  }
  close_all();
  return ending;
}

std::string crash_name(std::int64_t code) {
  struct named {
    int number;
    const char* name;
  };
  static const named signals[] = {
      {SIGSEGV, "SIGSEGV, a segmentation fault"},
      {SIGBUS, "SIGBUS, a bus error"},
      {SIGFPE, "SIGFPE, an arithmetic error such as a division by zero"},
      {SIGILL, "SIGILL, an illegal instruction"},
      {SIGABRT, "SIGABRT, an abort"},
      {SIGKILL, "SIGKILL"},
      {SIGTERM, "SIGTERM"},
      {SIGPIPE, "SIGPIPE, a write to a closed pipe"},
      {SIGXFSZ, "SIGXFSZ, a file past the size limit"},
      {SIGXCPU, "SIGXCPU, the processor time limit"},
      {SIGTRAP, "SIGTRAP, a trap"},
  };
  for (const named& s : signals)
    if (s.number == code) return s.name;
  return "signal " + std::to_string(code);
}

void catch_interrupts() {
  if (!set_up_waking()) return;
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) handle(s);
}

bool interrupted() { return interrupt_seen != 0; }

void set_environment(const char* name, const std::string& value) {
  ::setenv(name, value.c_str(), 1);
}

}  // namespace runcheck::platform
