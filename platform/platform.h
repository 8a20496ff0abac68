// platform: what the program needs from the operating system, in its own
// words. One implementation file per system (platform_posix.cpp,
// platform_windows.cpp); the build picks one, and nothing else in the
// program includes a system header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace runcheck::platform {

// An open file or stream, as the system names it; `none` is no file.
enum class file_handle : std::intptr_t { none = -1 };

// Why a file could not be opened.
enum class open_failure {
  none,               // it opened
  no_such_file,       // nothing has that name, or a folder on the way is missing
  is_directory,       // the name is a directory
  permission_denied,  // the system refuses to let the program read it
  not_regular_file,   // a named pipe, a device, a console or a socket
  other,              // any other reason (a name too long, a loop of links, ...)
};

struct opened_file {
  file_handle file = file_handle::none;
  open_failure failure = open_failure::none;  // none exactly when `file` is open
};

// Opens `path` (UTF-8) read-only without waiting. Refuses what is not a
// regular file on disk (a directory, a named pipe, a device or a console),
// since only a regular file has an end that is sure to come, and says why.
opened_file open_regular_file(const char* path);

// Reads up to `size` bytes into `data`, waiting for at least one. Gives the
// number read; 0 at the end of the file and on any error.
std::size_t read_block(file_handle file, char* data, std::size_t size);

// Closes `file`; none is ignored.
void close_file(file_handle file);

// Creates `path` (UTF-8) for writing, or empties it where it exists; none
// when it cannot be had.
file_handle create_file(const char* path);

// The program's standard input (a pipe, a file or a console: read it with
// read_block until it gives 0), standard output and standard error.
file_handle standard_input();
file_handle standard_output();
file_handle standard_error();

// After this, a reader of standard output that goes away, or a limit on the
// size of the file it writes to, makes writes fail instead of ending the
// program.
void keep_running_when_writes_fail();

// Writes all of `bytes` to `file` as they are. False when a write failed;
// some of the bytes may have been written.
bool write_all(file_handle file, std::string_view bytes);

// The line end of the platform's text: "\r\n" on Windows, "\n" elsewhere.
std::string_view line_end();

}  // namespace runcheck::platform
