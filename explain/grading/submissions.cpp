#include "explain/grading/submissions.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <utility>

#include "check/run_file_checker.h"
#include "platform/platform.h"

namespace runcheck::explain {

namespace {

bool is_digits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool same_letters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The student's key and name of a folder: a Moodle folder's "name_id" and
// "name", or the folder's own name for both.
std::pair<std::string, std::string> folder_student(std::string_view folder) {
  const std::size_t marker = folder.find("_assignsubmission_");
  if (marker != std::string_view::npos) {
    const std::string_view head = folder.substr(0, marker);
    const std::size_t id = head.rfind('_');
    if (id != std::string_view::npos && id > 0 && is_digits(head.substr(id + 1)))
      return {std::string(head), std::string(head.substr(0, id))};
  }
  return {std::string(folder), std::string(folder)};
}

// What a student of the download has: the run files found, and the folder
// of theirs (for a run file that is not there); in the order they are met.
struct found {
  std::string name;
  std::string folder;
  std::vector<std::string> run_files;
};

std::string joined(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder + name;
  return folder + "/" + name;
}

// The run files in `folder` and in its subfolders, one level down.
void collect(const std::string& folder, found& student, int depth) {
  std::vector<platform::folder_entry> entries;
  if (!platform::list_folder(folder, entries)) return;
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const platform::folder_entry& entry : entries) {
    if (entry.folder) {
      if (depth == 0) collect(joined(folder, entry.name), student, 1);
    } else if (is_run_file_name(entry.name)) {
      student.run_files.push_back(joined(folder, entry.name));
    }
  }
}

}  // namespace

bool is_run_file_name(std::string_view name) {
  const std::string_view run_file = default_run_file;  // replacement_output.txt
  const std::size_t dot = run_file.rfind('.');
  const std::string_view stem = run_file.substr(0, dot);
  const std::string_view suffix = run_file.substr(dot);
  if (name.size() < run_file.size() || !same_letters(name.substr(0, stem.size()), stem) ||
      !same_letters(name.substr(name.size() - suffix.size()), suffix))
    return false;
  const std::string_view middle =
      name.substr(stem.size(), name.size() - stem.size() - suffix.size());
  return middle.empty() || (middle[0] == '-' && is_digits(middle.substr(1)));
}

bool split_prefixed(std::string_view name, std::string& student, std::string& rest) {
  const std::size_t first = name.find('_');
  if (first == std::string_view::npos || first == 0) return false;
  std::string_view tail = name.substr(first + 1);
  if (tail.size() > 5 && same_letters(tail.substr(0, 5), "late_")) tail.remove_prefix(5);
  int ids = 0;
  for (std::size_t end = tail.find('_');
       end != std::string_view::npos && is_digits(tail.substr(0, end)); end = tail.find('_')) {
    tail.remove_prefix(end + 1);
    ++ids;
  }
  if (ids == 0 || tail.empty()) return false;
  student = name.substr(0, first);
  rest = tail;
  return true;
}

std::string student_of_folder(std::string_view folder) { return folder_student(folder).second; }

bool read_submissions(const std::string& path, std::vector<class_member>& members) {
  members.clear();
  std::vector<platform::folder_entry> entries;
  if (!platform::list_folder(path, entries)) return false;
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.name < b.name; });
  std::map<std::string, found> students;  // by the student's key
  for (const platform::folder_entry& entry : entries) {
    if (entry.folder) {
      auto [key, name] = folder_student(entry.name);
      found& student = students[key];
      student.name = name;
      // A student's second folder (Moodle's online text beside the file)
      // adds its run files; the first stays the student's folder.
      if (student.folder.empty()) student.folder = joined(path, entry.name);
      collect(joined(path, entry.name), student, 0);
      continue;
    }
    std::string name;
    std::string rest;
    if (split_prefixed(entry.name, name, rest) && is_run_file_name(rest)) {
      found& student = students[name];
      student.name = name;
      student.run_files.push_back(joined(path, entry.name));
    }
  }
  for (auto& [key, student] : students) {
    class_member member{.student = student.name};
    if (student.run_files.size() == 1) {
      member.run_file = student.run_files[0];
    } else if (student.run_files.empty()) {
      // A folder without a run file: the run file it should hold, which a
      // check finds missing.
      member.run_file = joined(student.folder, std::string(default_run_file));
    } else {
      member.run_file = student.folder.empty() ? student.run_files[0] : student.folder;
      member.problem = std::to_string(student.run_files.size()) + " run files, ";
      for (std::size_t i = 0; i < student.run_files.size(); ++i)
        member.problem += (i == 0                              ? ""
                           : i + 1 == student.run_files.size() ? " and "
                                                               : ", ") +
                          student.run_files[i];
      member.problem += ": grade the right one by hand";
    }
    members.push_back(std::move(member));
  }
  // By name as a person sorts them: letter case aside.
  const auto folded = [](const std::string& name) {
    std::string f = name;
    for (char& c : f) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return f;
  };
  std::stable_sort(members.begin(), members.end(),
                   [&](const class_member& a, const class_member& b) {
                     return folded(a.student) < folded(b.student);
                   });
  return true;
}

}  // namespace runcheck::explain
