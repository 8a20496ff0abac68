// runcheck-explain: says where a run file goes wrong, line by line.
#include <exception>
#include <new>
#include <string_view>
#include <vector>

#include "explain/explain.h"

int main(int argc, char** argv) {
  constexpr int standard_output = 1;
  constexpr int standard_error = 2;
  runcheck::output out(standard_output);
  runcheck::output err(standard_error);
  try {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return runcheck::explain::run(args, out, err);
  } catch (const std::bad_alloc&) {
    err.put("runcheck-explain: not enough memory\n");
  } catch (const std::exception& e) {
    err.put("runcheck-explain: ").put(e.what()).put("\n");
  }
  return 2;
}
