// platform: what the program needs from the operating system, in its own
// words. One implementation file per system (platform_posix.cpp,
// platform_windows.cpp); the build picks one, and nothing else in the
// program includes a system header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// A path that opens standard input anew, from its start, where standard
// input is a regular file the system lets the program open again by such a
// path (Linux); empty elsewhere, and for a pipe or a console.
std::string standard_input_path();

// After this, a reader of standard output that goes away, or a limit on the
// size of the file it writes to, makes writes fail instead of ending the
// program.
void keep_running_when_writes_fail();

// Writes all of `bytes` to `file` as they are. False when a write failed;
// some of the bytes may have been written.
bool write_all(file_handle file, std::string_view bytes);

// The line end of the platform's text: "\r\n" on Windows, "\n" elsewhere.
std::string_view line_end();

// The program's arguments after its name, in UTF-8. On Windows they are read
// again from the command line in UTF-16: argv holds them in the ANSI code
// page, which spells some file names wrong and some not at all.
std::vector<std::string> program_arguments(int argc, char** argv);

// Programs and folders, for running a program under test (process_posix.cpp,
// process_windows.cpp).

// A new empty folder of the program's own in the system's folder for
// temporary files (TMPDIR, or TMP and TEMP on Windows); its path, or empty
// when none can be made.
std::string make_temporary_folder();

// Writes `text` as the whole of the file `path` (UTF-8), made or emptied;
// false when it cannot be opened or written.
bool write_text_file(const std::string& path, std::string_view text);

// Makes the folder `path` (UTF-8); false when it cannot, or it exists.
bool make_folder(const std::string& path);

// An entry of a folder: its name (UTF-8) and whether it is a folder itself
// (a link to a folder counts as one).
struct folder_entry {
  std::string name;
  bool folder = false;
};

// The entries of the folder `path`, in no particular order; false when it
// cannot be read.
bool list_folder(const std::string& path, std::vector<folder_entry>& entries);

// Makes `path` an empty folder: what it holds is removed, read-only files
// included, and the folder is made where it is missing. False when
// something is left. Cheaper than removing the folder and making it again.
bool empty_folder(const std::string& path);

// Removes `path` and everything in it, read-only files included. False when
// something is left.
bool remove_folder(const std::string& path);

// A program to run, and what to give it.
struct program_request {
  // The program and its arguments, as given: no shell reads them. A program
  // named with a folder ("./a.out", "bin/sol") is taken from the current
  // folder, not from `folder`; one named without is looked for where a shell
  // looks (PATH).
  std::span<const std::string> command;
  std::string folder;           // where it runs
  std::string standard_input;   // a file it reads as standard input
  std::string standard_output;  // a file made for its standard output
  std::string standard_error;   // a file made for its standard error
  // Besides the two above, a file it may write (a path from `folder`).
  std::string watched_file;
  // The program is ended when one of the three files grows past this size.
  std::int64_t size_cap = 0;
  double time_limit = 5;  // seconds
};

// How a program ended. Whatever the ending, every process it started is
// ended before run_program returns (one that left its process group on
// POSIX aside), so no file in `folder` stays open.
struct program_ending {
  enum class how {
    exited,           // it ended by itself: `code` is its exit status
    crashed,          // a signal (POSIX) or an exception (Windows) ended it: `code` names it
    timed_out,        // still running at the time limit: ended
    too_much_output,  // a file grew past the size cap: ended; `code` is 0 standard output,
                      // 1 standard error, 2 the watched file
    not_started,      // it could not be started: `why` says why
    interrupted,      // an interrupt came (catch_interrupts): ended
  };
  how what = how::exited;
  std::int64_t code = 0;
  std::string why;
  double seconds = 0;  // from its start to its end
};

// Starts the program of `request` and waits for it to end, within the
// time limit.
program_ending run_program(const program_request& request);

// What a crash's `code` is, in words: "SIGSEGV, a segmentation fault",
// "0xC0000005, an access violation".
std::string crash_name(std::int64_t code);

// From now on, Ctrl-C or a request to end the program (SIGINT, SIGTERM,
// SIGHUP; the console's Ctrl-C, Ctrl-Break and close) no longer ends it:
// interrupted() becomes true, and a program that run_program is running is
// ended, so that the caller can remove what it made before it ends.
void catch_interrupts();
bool interrupted();

// The absolute path of the current folder; empty when it cannot be had.
std::string current_folder();

// Sets the environment variable `name` (ASCII) to `value` for this program
// and the programs started from now on.
void set_environment(const char* name, const std::string& value);

}  // namespace runcheck::platform
