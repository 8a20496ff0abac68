// A run file's verdict as a class list shows it, and the independent score
// as a fraction: what every grading format and the page say of a submission,
// read off its summary at file_ended.
#pragma once

#include <string>
#include <string_view>

#include "explain/report/report.h"

namespace runcheck::explain {

// A submission's verdict in a class list, from its summary at file_ended.
enum class submission_verdict {
  passed,      // every test case passed
  failed,      // a test case failed
  missing,     // the run file does not exist
  unreadable,  // the run file exists but cannot be read (a folder, no permission, ...)
  stopped,     // the test-case file cannot be used: no run file could be checked
};
submission_verdict verdict_of(const file_summary& summary);
std::string_view name_of(submission_verdict verdict);

// The independent score as a fraction from 0 to 1: test cases passed
// independently over all; 1 for a file checked against no test case that
// passes, 0 for a file not checked.
double independent_fraction(const file_summary& summary);

// The fraction written with at most four decimals ("0.75", "1", "0").
std::string fraction_text(double fraction);

}  // namespace runcheck::explain
