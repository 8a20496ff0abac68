// runcheck-explain: says where a run file goes wrong, line by line.
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "explain/cli/explain.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  // A reader that goes away loses the rest of the text; the exit status
  // still gives the verdict.
  runcheck::platform::keep_running_when_writes_fail();
  runcheck::output out(runcheck::platform::standard_output());
  runcheck::output err(runcheck::platform::standard_error());
  try {
    const std::vector<std::string> given = runcheck::platform::program_arguments(argc, argv);
    const std::vector<std::string_view> args(given.begin(), given.end());
    return runcheck::explain::run(args, out, err);
  } catch (const std::bad_alloc&) {
    err.put("runcheck-explain: not enough memory\n");
  } catch (const std::exception& e) {
    err.put("runcheck-explain: ").put(e.what()).put("\n");
  }
  return 2;
}
