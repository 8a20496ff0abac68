// A roster: the file that names a class's run files, one path a line, with
// the student's name after a tab where the roster gives it. Blank lines and
// lines starting with # are skipped, white space at either end of a line and
// of its two fields dropped, and a relative path taken from the roster's
// folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace runcheck::explain {

// A run file of a class, and whose it is.
struct class_member {
  std::string run_file;
  std::string student;  // as the class list names them; never empty
  // Why the member is not checked (two run files found for the student);
  // empty for a member to check.
  std::string problem;
};

// The student a run file without a name belongs to: the name of the folder
// that holds it, or, for a run file named without a folder, its own name.
std::string student_of(std::string_view run_file);

// The paths of a roster, one at a time. The roster is read a batch of paths
// at a time, its reader closed in between, so a class of any size takes the
// memory of one batch, and no reader's block stays open beside the run
// files' readers.
class roster {
 public:
  // Reads the first batch of `path`.
  explicit roster(std::string path);

  // False when the roster could not be read.
  bool readable() const { return readable_; }

  // The next run file and its student (the roster's, else student_of);
  // false after the last (or when the roster is unreadable).
  bool next(class_member& member);

 private:
  // Reads the next batch from where the last one ended; false when the
  // roster cannot be opened.
  bool fill();

  std::string path_;
  std::string folder_;  // the roster's folder, with its separator; empty for the current one
  std::vector<class_member> batch_;
  std::size_t next_ = 0;   // in batch_
  std::int64_t read_ = 0;  // bytes of the roster read
  bool more_ = false;      // the roster holds more after the batch
  bool readable_ = false;
};

}  // namespace runcheck::explain
