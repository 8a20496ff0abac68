// A class's run files as a course tool's bulk download lays them out, read
// from the folder it was unpacked into:
//
//   one folder per student, as Moodle names them
//     Ada Lovelace_12345_assignsubmission_file_/replacement_output.txt
//   (any other folder is a student of its name), the run file in the folder
//   or in one of its subfolders; or
//   files prefixed by the student, as Canvas names them
//     lovelaceada_12345_67890_replacement_output.txt
//     lovelaceada_LATE_12345_67890_replacement_output-1.txt
//
// A run file is replacement_output.txt in any letter case, with a "-N" a
// resubmission adds before ".txt". Every student found is a member: one
// folder without a run file has a run file that does not exist (a class
// list's "missing"), and a student with two or more is a member whose
// problem says so, graded by hand.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "explain/grading/roster.h"

namespace runcheck::explain {

// Whether `name` (a file's name, without its folder) names a run file:
// replacement_output.txt in any letter case, "-N" before ".txt" allowed.
bool is_run_file_name(std::string_view name);

// The student and the original file name of a file prefixed by its student
// (lovelaceada_12345_67890_replacement_output.txt); false for any other name.
bool split_prefixed(std::string_view name, std::string& student, std::string& rest);

// The student a folder of a bulk download belongs to: the name before
// "_<id>_assignsubmission_..." (Ada Lovelace), or the folder's own name.
std::string student_of_folder(std::string_view folder);

// The members found in the folder `path`, in the order of their students'
// names; false when the folder cannot be read.
bool read_submissions(const std::string& path, std::vector<class_member>& members);

}  // namespace runcheck::explain
