#include "explain/authoring/trace.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "generation/expected_runs.h"
#include "generation/reference_generator.h"

namespace runcheck::explain {

namespace {

// One row of the table, its cells as text.
struct row {
  std::string step, action, read, buffer, run;
};

std::string buffer_cells(std::span<const record> slots, std::size_t width) {
  std::string text;
  for (const record& slot : slots) {
    if (!text.empty()) text += ' ';
    const std::string key = slot.written ? "-" : std::to_string(slot.key);
    text.append(width - std::min(width, key.size()), ' ') += key;
    text += slot.frozen && !slot.written ? '*' : ' ';
  }
  while (text.ends_with(' ')) text.pop_back();
  return text;
}

void put_padded(output& out, std::string_view text, std::size_t width, bool right) {
  const std::string padding(width - std::min(width, text.size()), ' ');
  if (right) out.put(padding);
  out.put(text);
  if (!right) out.put(padding);
}

}  // namespace

int print_trace(const std::string& test_case_file, std::int64_t number, output& out, output& err) {
  stop why;
  std::optional<test_case_source> source = test_case_source::open(test_case_file.c_str(), why);
  const auto line = std::make_unique<key_line>();
  std::optional<test_case> tc;
  while (source && number <= source->num_test_cases() && source->read_so_far() < number) {
    tc = source->next(*line, why);
    if (!tc) source.reset();
  }
  if (!source) {
    err.put("runcheck-explain: ")
        .put(test_case_file)
        .put(": ")
        .put(stop_words(why, test_case_file));
    err.put("\n");
    return 2;
  }
  if (!tc) {
    err.put("runcheck-explain: ").put(test_case_file).put(" holds ");
    err.put_int(source->num_test_cases()).put(" test cases; there is no test case ");
    err.put_int(number).put("\n");
    return 2;
  }

  std::size_t width = 1;
  for (const std::int32_t k : tc->keys) width = std::max(width, std::to_string(k).size());
  reference_generator generator(tc->keys);
  std::vector<row> rows = {{.step = "0",
                            .action = "load",
                            .read = "",
                            .buffer = buffer_cells(generator.slots(), width),
                            .run = "0"}};
  bool budget_spent = true;
  while (const std::optional<pass_report> pass = generator.next_pass()) {
    row r{.step = std::to_string(pass->step),
          .buffer = buffer_cells(generator.slots(), width),
          .run = std::to_string(generator.run_count() - 1)};
    switch (pass->what) {
      case pass_report::action::wrote:
        r.action = "write " + std::to_string(pass->key);
        if (pass->loaded) r.read = std::to_string(*pass->loaded);
        break;
      case pass_report::action::froze:
        r.action = "freeze " + std::to_string(pass->key);
        break;
      case pass_report::action::melted:
        r.action = "melt";
        break;
      case pass_report::action::finished:
        r.action = "end";
        budget_spent = false;
        break;
    }
    rows.push_back(r);
  }

  out.put(test_case_file).put(", test case ").put_int(number).put(": ");
  out.put_int(tc->num_keys).put(tc->num_keys == 1 ? " key:" : " keys:");
  for (const std::int32_t k : tc->keys) out.put(' ').put_int(k);
  out.put("\n");
  out.put("Each step is one pass: it writes the smallest key not frozen to the run, or\n");
  out.put("freezes it when it is smaller than the last key written; when every key left\n");
  out.put("is frozen, they melt and a new run begins. Runs count from 0, as in\n");
  out.put("runcheck's messages; * marks a key frozen for the next run, - an empty slot.\n\n");
  const row header{
      .step = "step", .action = "pass", .read = "read", .buffer = "buffer after it", .run = "run"};
  std::size_t w[5] = {};
  rows.insert(rows.begin(), header);
  for (const row& r : rows) {
    const std::string* cells[] = {&r.step, &r.action, &r.read, &r.buffer, &r.run};
    for (std::size_t c = 0; c < 5; ++c) w[c] = std::max(w[c], cells[c]->size());
  }
  for (const row& r : rows) {
    put_padded(out, r.step, w[0], true);
    out.put("  ");
    put_padded(out, r.action, w[1], false);
    out.put("  ");
    put_padded(out, r.read, w[2], true);
    out.put("  ");
    put_padded(out, r.buffer, w[3], false);
    out.put("  ");
    put_padded(out, r.run, w[4], true);
    out.put("\n");
  }
  out.put("\n").put_int(generator.run_count()).put(generator.run_count() == 1 ? " run" : " runs");
  out.put("; keys read ").put_int(generator.read_count()).put(", written ");
  out.put_int(generator.write_count()).put("\n");
  if (budget_spent) {
    out.put("The 500 passes are spent: the test case ends where it stands, its keys left\n");
    out.put("unwritten.\n");
  }
  return 0;
}

}  // namespace runcheck::explain
