// The program's phases in their one order: read and generate, list, check.
// Every path, successful or not, ends with the prompt
// "Press Enter Any Key to Finish." flushed to the output.
#pragma once

#include "runs/output.h"

namespace runcheck {

struct program_files {
  const char* test_case_file = "replacement_input.txt";
  const char* run_file = "replacement_output.txt";
};

// Runs every phase up to and including the prompt; the caller then waits for
// one character. Never throws.
void run_program(const program_files& files, output& out) noexcept;

}  // namespace runcheck
