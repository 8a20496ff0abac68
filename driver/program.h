// runcheck's front end: the phases in their one order (read and generate,
// list, check) and every text runcheck prints.
// Every path, successful or not, ends with the prompt
// "Press Enter Any Key to Finish." flushed to the output.
#pragma once

#include "check/run_file_checker.h"
#include "input/test_case.h"
#include "platform/output.h"

namespace runcheck {

struct program_files {
  const char* test_case_file = default_test_case_file;
  const char* run_file = default_run_file;
};

// Runs every phase up to and including the prompt; the caller then waits for
// one character. Never throws.
void run_program(const program_files& files, output& out) noexcept;

}  // namespace runcheck
