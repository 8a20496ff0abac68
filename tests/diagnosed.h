// Test files run through the diagnosis as runcheck-explain runs it, and the
// reports it hands to a printer, kept.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "explain/report/report.h"
#include "generation/reference_generator.h"

namespace runcheck::explain {

struct diagnosed {
  std::string test_case_file;
  std::string run_file;
  std::vector<test_case_report> reports;  // every test case's, in order
  file_summary summary;                   // at file_ended
};

// A test-case file holding the test cases `keys`.
std::string test_case_file_of(const std::vector<std::vector<std::int32_t>>& keys);

// A run file holding the runs of each test case, in the listing's format.
std::string listing_of(const std::vector<run_list>& test_cases);

// Writes the two files, under names made from `name`, in the folder where
// the tests run, and diagnoses the run file (keeping the runs where
// `keep_runs`).
diagnosed diagnose(std::string_view name, std::string_view test_case_text,
                   std::string_view run_text, bool keep_runs = false);

}  // namespace runcheck::explain
