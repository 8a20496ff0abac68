// Temporary folders and the current folder, through the standard library's
// file system, the same on every system.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "platform/platform.h"

namespace runcheck::platform {

namespace fs = std::filesystem;

namespace {

// Paths in UTF-8, as the rest of the program holds them, whatever the
// system's own encoding of names.
std::string utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

fs::path path_of(const std::string& text) { return {std::u8string(text.begin(), text.end())}; }

}  // namespace

std::string make_temporary_folder() {
  std::error_code error;
  const fs::path base = fs::temp_directory_path(error);
  if (error) return {};
  // A name nobody else is likely to take; create_directory refuses one
  // that exists, so two programs never share a folder.
  std::random_device device;
  std::uint64_t number =
      (std::uint64_t{device()} << 32) ^ device() ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  constexpr int attempts = 100;
  for (int i = 0; i < attempts; ++i) {
    number = number * 6364136223846793005U + 1442695040888963407U;
    std::string name = "runcheck-";
    for (int digit = 0; digit < 12; ++digit)
      name += "0123456789abcdefghijklmnopqrstuvwxyz"[(number >> (5 * digit)) % 36];
    const fs::path folder = base / name;
    if (fs::create_directory(folder, error)) return utf8(folder);
    if (error && error != std::errc::file_exists) return {};
  }
  return {};
}

bool make_folder(const std::string& path) {
  std::error_code error;
  return fs::create_directory(path_of(path), error);
}

namespace {

// Removes `path` and everything in it; where that fails (Windows refuses to
// remove a read-only file, POSIX a file in a folder without write
// permission), makes everything writable and tries again.
bool remove_everything(const fs::path& path) {
  std::error_code error;
  fs::remove_all(path, error);
  if (!error && !fs::exists(fs::symlink_status(path, error))) return true;
  for (fs::recursive_directory_iterator
           it(path, fs::directory_options::skip_permission_denied, error),
       end;
       !error && it != end; it.increment(error)) {
    if (!it->is_symlink(error))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, error);
  error.clear();
  fs::remove_all(path, error);
  return !fs::exists(fs::symlink_status(path, error));
}

}  // namespace

bool write_text_file(const std::string& path, std::string_view text) {
  const file_handle file = create_file(path.c_str());
  if (file == file_handle::none) return false;
  const bool written = write_all(file, text);
  close_file(file);
  return written;
}

bool remove_folder(const std::string& text) { return remove_everything(path_of(text)); }

bool empty_folder(const std::string& text) {
  const fs::path path = path_of(text);
  std::error_code error;
  if (!fs::exists(fs::symlink_status(path, error))) return fs::create_directory(path, error);
  // Listed first: a folder changed while it is read may list an entry twice
  // or not at all.
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error))
    entries.push_back(it->path());
  bool emptied = !error;
  for (const fs::path& entry : entries) emptied = remove_everything(entry) && emptied;
  return emptied && fs::is_empty(path, error) && !error;
}

bool list_folder(const std::string& path, std::vector<folder_entry>& entries) {
  entries.clear();
  std::error_code error;
  fs::directory_iterator it(path_of(path), error);
  for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
    std::error_code kind;
    entries.push_back({.name = utf8(it->path().filename()), .folder = it->is_directory(kind)});
  }
  return !error;
}

std::string current_folder() {
  std::error_code error;
  const fs::path here = fs::current_path(error);
  return error ? std::string() : utf8(here);
}

}  // namespace runcheck::platform
