// runcheck: grades the runs that a replacement-selection program wrote.
// Command-line arguments and the environment are not looked at.
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "driver/program.h"

int main() {
  // A reader of standard output that goes away must not end the program
  // with a signal: output is dropped and the program ends as usual.
  static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
  // Likewise a file size limit on standard output: the write fails instead.
  static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));
  try {
    runcheck::output out(STDOUT_FILENO);
    runcheck::run_program(runcheck::program_files{}, out);
  } catch (...) {
    // Only the writer's own buffer can fail to allocate here; there is
    // nothing left to print with, and the program still ends as usual.
  }
  // The final wait: one character, or the end of the input.
  [[maybe_unused]] const int c = std::getchar();
  return 0;
}
