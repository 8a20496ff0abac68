#include "explain/authoring/test_authoring.h"

#include "explain/authoring/coverage.h"
#include "explain/authoring/coverage_printer.h"
#include "explain/authoring/make_tests.h"
#include "input/text_reader.h"

namespace runcheck::explain {

int run_coverage(const std::string& test_case_file, bool json, output& out) {
  const coverage_report report = check_coverage(test_case_file);
  if (json) {
    print_coverage_json(out, report);
  } else {
    print_coverage_text(out, report);
  }
  return report.status();
}

int run_make_tests(std::uint64_t seed, output& out, output& err) {
  const std::string file = make_test_case_file(seed);
  out.put(file);
  const coverage_report check = check_coverage("the file made", read_text(file));
  if (check.status() == 0 && check.exercised() == std::ssize(check.rules) &&
      check.out_of_step.count == 0) {
    return 0;
  }
  err.put("runcheck-explain: the file made for this seed falls short; its coverage:\n");
  print_coverage_text(err, check);
  return 1;
}

}  // namespace runcheck::explain
