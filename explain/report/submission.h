// A run file's verdict as a class list shows it, and the independent score
// as a fraction: what every grading format and the page say of a submission,
// read off its summary at file_ended.
#pragma once

#include <cstdint>
#include <map>
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
  several,     // a class list found two or more run files for the student
};
inline constexpr std::size_t submission_verdict_count = 6;
submission_verdict verdict_of(const file_summary& summary);
std::string_view name_of(submission_verdict verdict);

// The independent score as a fraction from 0 to 1: test cases passed
// independently over all; 1 for a file checked against no test case that
// passes, 0 for a file not checked.
double independent_fraction(const file_summary& summary);

// The fraction written with at most four decimals ("0.75", "1", "0").
std::string fraction_text(double fraction);

// A student's own warnings in one test case's report: those not about the
// test-case file (audience.h), and those past the kept ones.
std::int64_t own_warnings(const test_case_report& report);

// What a class's run files come to: how many have each verdict, and how many
// each faulty program explains (file_summary::variant).
class class_tally {
 public:
  void add(const file_summary& summary);

  std::int64_t files() const { return files_; }
  std::int64_t with(submission_verdict verdict) const {
    return verdicts_[static_cast<std::size_t>(verdict)];
  }
  // The faulty programs recognised, by name, each with its description and
  // the run files it explains.
  struct program {
    std::string description;  // as the first run file it explains says it
    std::int64_t files = 0;
  };
  const std::map<std::string_view, program>& programs() const { return programs_; }

 private:
  std::int64_t files_ = 0;
  std::int64_t verdicts_[submission_verdict_count] = {};
  std::map<std::string_view, program> programs_;
};

}  // namespace runcheck::explain
