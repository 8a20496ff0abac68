// Running a program under test on Windows: CreateProcess, suspended until
// it stands in a job object of its own, so that ending the job ends every
// process it started; the console's Ctrl-C handler sets an event that
// wakes the wait.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace runcheck::platform {

namespace {

volatile LONG interrupt_seen = 0;
HANDLE interrupt_event = nullptr;

BOOL WINAPI on_console_event(DWORD event) {
  ::InterlockedExchange(&interrupt_seen, 1);
  if (interrupt_event != nullptr) ::SetEvent(interrupt_event);
  // The console ends the program once this returns from a close, a log off
  // or a shut down: a moment for the main thread to end the program under
  // test and remove its folder.
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) ::Sleep(2000);
  return TRUE;
}

// `text` (UTF-8) in UTF-16; empty when it is not valid UTF-8.
std::wstring widened(const std::string& text) {
  if (text.empty()) return {};
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        wide.data(), length);
  return wide;
}

// One argument as the C runtime's command-line parser reads it back: in
// quotes where it holds a space, a tab or a quote, or is empty, with each
// quote and the backslashes before a quote or the closing quote doubled.
void append_argument(std::wstring& line, const std::wstring& argument) {
  if (!line.empty()) line += L' ';
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += argument;
    return;
  }
  line += L'"';
  for (std::size_t i = 0;; ++i) {
    std::size_t backslashes = 0;
    while (i < argument.size() && argument[i] == L'\\') {
      ++i;
      ++backslashes;
    }
    if (i == argument.size()) {
      line.append(backslashes * 2, L'\\');
      break;
    }
    if (argument[i] == L'"') {
      line.append(backslashes * 2 + 1, L'\\');
    } else {
      line.append(backslashes, L'\\');
    }
    line += argument[i];
  }
  line += L'"';
}

HANDLE open_for_child(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherited{.nLength = sizeof(SECURITY_ATTRIBUTES),
                                .lpSecurityDescriptor = nullptr,
                                .bInheritHandle = TRUE};
  const std::wstring wide = widened(path);
  if (wide.empty()) return INVALID_HANDLE_VALUE;
  return ::CreateFileW(wide.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::int64_t size_of(HANDLE file) {
  LARGE_INTEGER size{};
  return ::GetFileSizeEx(file, &size) != 0 ? size.QuadPart : 0;
}

std::int64_t size_of(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) == 0) return 0;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string why_not_started(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return "not found";
    case ERROR_ACCESS_DENIED:
      return "not executable (access denied)";
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
      return "not a program this system can run";
    default:
      return "Windows error " + std::to_string(error);
  }
}

// Ends every process of `job` and waits, a little, until none is left.
void end_job(HANDLE job) {
  ::TerminateJobObject(job, 1);
  for (int i = 0; i < 200; ++i) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    if (::QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info,
                                    nullptr) == 0 ||
        info.ActiveProcesses == 0)
      return;
    ::Sleep(10);
  }
}

}  // namespace

program_ending run_program(const program_request& request) {
  using clock = std::chrono::steady_clock;
  program_ending ending;
  if (request.command.empty())
    return {.what = program_ending::how::not_started, .why = "no program named"};
  std::wstring line;
  for (const std::string& word : request.command) append_argument(line, widened(word));
  const std::wstring folder = widened(request.folder);
  const std::wstring watched = request.watched_file.empty()
                                   ? std::wstring()
                                   : folder + L"\\" + widened(request.watched_file);

  // No dialog box for a crash: the error mode is inherited.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  const HANDLE in = open_for_child(request.standard_input, false);
  const HANDLE out = open_for_child(request.standard_output, true);
  const HANDLE err = open_for_child(request.standard_error, true);
  const HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
  const auto close_all = [&] {
    for (const HANDLE h : {in, out, err, job})
      if (h != INVALID_HANDLE_VALUE && h != nullptr) ::CloseHandle(h);
  };
  if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE ||
      job == nullptr) {
    ending = {.what = program_ending::how::not_started,
              .why = "Windows error " + std::to_string(::GetLastError())};
    close_all();
    return ending;
  }
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
  ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const clock::time_point start = clock::now();
  // The process group keeps the console's Ctrl-C for this program, which
  // ends the job itself.
  if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                       CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT,
                       nullptr, folder.c_str(), &startup, &process) == 0) {
    ending = {.what = program_ending::how::not_started, .why = why_not_started(::GetLastError())};
    close_all();
    return ending;
  }
  if (::AssignProcessToJobObject(job, process.hProcess) == 0) {
    ::TerminateProcess(process.hProcess, 1);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ending = {.what = program_ending::how::not_started,
              .why = "Windows error " + std::to_string(::GetLastError())};
    close_all();
    return ending;
  }
  ::ResumeThread(process.hThread);
  ::CloseHandle(process.hThread);

  // Wait for the end, the time limit, a file past the cap or an interrupt,
  // looking at the files' sizes at least every few milliseconds.
  constexpr auto slice = std::chrono::milliseconds(10);
  const auto limit = std::chrono::duration_cast<clock::duration>(
      std::chrono::duration<double>(request.time_limit));
  const HANDLE waited[] = {process.hProcess, interrupt_event};
  const DWORD count = interrupt_event != nullptr ? 2 : 1;
  bool ended = false;
  for (;;) {
    if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
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
    const std::int64_t sizes[] = {size_of(out), size_of(err),
                                  watched.empty() ? 0 : size_of(watched)};
    const auto* over = std::find_if(std::begin(sizes), std::end(sizes),
                                    [&](std::int64_t size) { return size > request.size_cap; });
    if (request.size_cap > 0 && over != std::end(sizes)) {
      ending = {.what = program_ending::how::too_much_output, .code = over - std::begin(sizes)};
      break;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::min<clock::duration>(slice, limit - spent));
    ::WaitForMultipleObjects(count, waited, FALSE, static_cast<DWORD>(wait.count()) + 1);
  }
  end_job(job);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  ending.seconds = std::chrono::duration<double>(clock::now() - start).count();
  if (ended) {
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    // An exception's code (NTSTATUS, severity error) ends a crashed program.
    ending.what = (code & 0xF0000000U) == 0xC0000000U ? program_ending::how::crashed
                                                      : program_ending::how::exited;
    ending.code = code;
  }
  ::CloseHandle(process.hProcess);
  close_all();
  return ending;
}

std::string crash_name(std::int64_t code) {
  struct named {
    std::uint32_t number;
    const char* name;
  };
  static const named exceptions[] = {
      {0xC0000005U, "an access violation"},
      {0xC00000FDU, "a stack overflow"},
      {0xC0000094U, "an integer division by zero"},
      {0xC0000095U, "an integer overflow"},
      {0xC000001DU, "an illegal instruction"},
      {0xC0000409U, "a stack buffer overrun, or a call to abort"},
      {0xC0000374U, "a corrupted heap"},
      {0xC000008EU, "a floating-point division by zero"},
  };
  char hex[16];
  const auto value = static_cast<std::uint32_t>(code);
  for (int digit = 0; digit < 8; ++digit)
    hex[7 - digit] = "0123456789ABCDEF"[(value >> (4 * digit)) & 15];
  std::string name = "0x" + std::string(hex, 8);
  for (const named& e : exceptions)
    if (e.number == value) return name + ", " + e.name;
  return name;
}

void catch_interrupts() {
  if (interrupt_event == nullptr) interrupt_event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ::SetConsoleCtrlHandler(on_console_event, TRUE);
}

bool interrupted() { return interrupt_seen != 0; }

// The C runtime keeps its own copy of the environment, which getenv reads;
// _wputenv_s sets it and the process's, which new programs get.
void set_environment(const char* name, const std::string& value) {
  ::_wputenv_s(widened(name).c_str(), widened(value).c_str());
}

}  // namespace runcheck::platform
