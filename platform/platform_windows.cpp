// The Win32 API only, as both MSVC and MinGW-w64 declare it.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <string>

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

}  // namespace

file_handle open_regular_file(const char* path) {
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
  if (length <= 0) return file_handle::none;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide.data(), length) != length)
    return file_handle::none;
  // Sharing as the C runtime's fopen does: others may go on reading and
  // writing the file. Without FILE_FLAG_BACKUP_SEMANTICS a directory does
  // not open at all; the checks below refuse what opens but is no file on
  // disk (a pipe, a console, a device).
  const HANDLE h =
      ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return file_handle::none;
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(h) != FILE_TYPE_DISK || ::GetFileInformationByHandle(h, &info) == 0 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    ::CloseHandle(h);
    return file_handle::none;
  }
  return handle(h);
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
