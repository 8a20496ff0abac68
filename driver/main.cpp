// runcheck: grades the runs that a replacement-selection program wrote.
// Command-line arguments and the environment are not looked at.
#include <cstdio>

#include "driver/program.h"
#include "platform/platform.h"

int main() {
  // A reader of standard output that goes away, or a file size limit, must
  // not end the program: output is dropped and the program ends as usual.
  runcheck::platform::keep_running_when_writes_fail();
  try {
    runcheck::output out(runcheck::platform::standard_output());
    runcheck::run_program(runcheck::program_files{}, out);
  } catch (...) {
    // Only the writer's own buffer can fail to allocate here; there is
    // nothing left to print with, and the program still ends as usual.
  }
  // The final wait: one character, or the end of the input.
  [[maybe_unused]] const int c = std::getchar();
  return 0;
}
