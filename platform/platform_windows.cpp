// The Win32 API only, as both MSVC and MinGW-w64 declare it.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace runcheck::platform {

namespace {

HANDLE native(file_handle file) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(file));
}

file_handle handle(HANDLE h) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return file_handle::none;
  return static_cast<file_handle>(reinterpret_cast<std::intptr_t>(h));
}

// ReadFile and WriteFile take a 32-bit count.
constexpr std::size_t max_transfer = std::size_t{1} << 30;

// Why CreateFileW failed with `error`. A directory opened without
// FILE_FLAG_BACKUP_SEMANTICS fails with ERROR_ACCESS_DENIED, so the name's
// attributes tell a directory from a refusal.
open_failure failure_of(DWORD error, const std::wstring& name) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return open_failure::no_such_file;
    case ERROR_ACCESS_DENIED: {
      const DWORD attributes = ::GetFileAttributesW(name.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return open_failure::is_directory;
      return open_failure::permission_denied;
    }
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return open_failure::permission_denied;
    default:
      return open_failure::other;
  }
}

// `path` in UTF-16; empty when it is not valid UTF-8.
std::wstring widened(const char* path) {
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide.data(), length) != length)
    return {};
  return wide;
}

// `text` in UTF-8.
std::string narrowed(const wchar_t* text) {
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string narrow(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), length, nullptr, nullptr);
  narrow.pop_back();  // the terminating NUL
  return narrow;
}

}  // namespace

std::vector<std::string> program_arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* const wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  if (wide != nullptr && count == argc) {
    for (int i = 1; i < count; ++i) arguments.push_back(narrowed(wide[i]));
  } else {
    arguments.assign(argv + std::min(argc, 1), argv + argc);
  }
  if (wide != nullptr) ::LocalFree(static_cast<HLOCAL>(wide));
  return arguments;
}

opened_file open_regular_file(const char* path) {
  const std::wstring wide = widened(path);
  if (wide.empty()) return {.failure = open_failure::other};
  // Sharing as the C runtime's fopen does: others may go on reading and
  // writing the file. Without FILE_FLAG_BACKUP_SEMANTICS a directory does
  // not open at all; the checks below refuse what opens but is no file on
  // disk (a pipe, a console, a device).
  const HANDLE h =
      ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {.failure = failure_of(::GetLastError(), wide)};
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(h) != FILE_TYPE_DISK || ::GetFileInformationByHandle(h, &info) == 0 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    const bool directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    ::CloseHandle(h);
    return {.failure = directory ? open_failure::is_directory : open_failure::not_regular_file};
  }
  return {.file = handle(h)};
}

std::size_t read_block(file_handle file, char* data, std::size_t size) {
  DWORD got = 0;
  const auto want = static_cast<DWORD>(std::min(size, max_transfer));
  // A pipe whose writer has gone fails with ERROR_BROKEN_PIPE: its end.
  if (::ReadFile(native(file), data, want, &got, nullptr) == 0) return 0;
  return got;
}

void close_file(file_handle file) {
  if (file != file_handle::none) ::CloseHandle(native(file));
}

file_handle create_file(const char* path) {
  const std::wstring wide = widened(path);
  if (wide.empty()) return file_handle::none;
  const HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? file_handle::none : handle(h);
}

file_handle standard_input() { return handle(::GetStdHandle(STD_INPUT_HANDLE)); }

// No path opens standard input anew on Windows.
std::string standard_input_path() { return {}; }

file_handle standard_output() { return handle(::GetStdHandle(STD_OUTPUT_HANDLE)); }

file_handle standard_error() { return handle(::GetStdHandle(STD_ERROR_HANDLE)); }

// Windows sends no signal for a closed pipe or a full disk: WriteFile fails
// (ERROR_NO_DATA, ERROR_DISK_FULL) and the program goes on.
void keep_running_when_writes_fail() {}

bool write_all(file_handle file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const auto want = static_cast<DWORD>(std::min(bytes.size(), max_transfer));
    if (::WriteFile(native(file), bytes.data(), want, &written, nullptr) == 0 || written == 0)
      return false;
    bytes.remove_prefix(written);
  }
  return true;
}

std::string_view line_end() { return "\r\n"; }

}  // namespace runcheck::platform
