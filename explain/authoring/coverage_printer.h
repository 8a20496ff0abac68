// The coverage report (coverage.h) as text for the author of a test-case
// file, and as one JSON document on one line for scripts. Both only format
// the report.
#pragma once

#include "explain/authoring/coverage.h"
#include "platform/output.h"

namespace runcheck::explain {

// The rules exercised and not, the mistakes caught and the gaps, each gap
// as "<a program ...> passes this file", the warnings, then the verdict line.
void print_coverage_text(output& out, const coverage_report& report);

// The same as a JSON object, test cases numbered from 1.
void print_coverage_json(output& out, const coverage_report& report);

}  // namespace runcheck::explain
