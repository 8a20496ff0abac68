#include "explain/test_authoring.h"

#include "explain/coverage.h"
#include "explain/coverage_printer.h"

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

}  // namespace runcheck::explain
