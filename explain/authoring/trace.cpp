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

// The buffer as a sentence says it: "70 - 25* 15* 5*".
std::string buffer_words(std::span<const record> slots) {
  std::string text;
  for (const record& slot : slots) {
    if (!text.empty()) text += ' ';
    text += slot.written ? "-" : std::to_string(slot.key) + (slot.frozen ? "*" : "");
  }
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
  std::vector<row> rows;
  bool budget_spent = true;
  // Each row holds the buffer before its pass, as the why of a wrong run
  // names it: "before step N the buffer holds ...".
  std::string before = buffer_cells(generator.slots(), width);
  while (const std::optional<pass_report> pass = generator.next_pass()) {
    row r{.step = std::to_string(pass->step),
          .buffer = before,
          .run = std::to_string(generator.run_count() - 1)};
    before = buffer_cells(generator.slots(), width);
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
  out.put("The buffer is loaded with the first keys. Each step is one pass: it writes the\n");
  out.put("smallest key not frozen to the run, reading the next key in its place, or\n");
  out.put("freezes it when it is smaller than the last key written; when every key left\n");
  out.put("is frozen, they melt and a new run begins. A row shows the buffer before its\n");
  out.put("step; * marks a key frozen for the next run, - an empty slot. Runs count\n");
  out.put("from 0, as in runcheck's messages.\n\n");
  const row header{
      .step = "step", .action = "pass", .read = "read", .buffer = "buffer before it", .run = "run"};
  std::size_t w[5] = {};
  rows.insert(rows.begin(), header);
  for (const row& r : rows) {
    const std::string* cells[] = {&r.step, &r.buffer, &r.action, &r.read, &r.run};
    for (std::size_t c = 0; c < 5; ++c) w[c] = std::max(w[c], cells[c]->size());
  }
  for (const row& r : rows) {
    put_padded(out, r.step, w[0], true);
    out.put("  ");
    put_padded(out, r.buffer, w[1], false);
    out.put("  ");
    put_padded(out, r.action, w[2], false);
    out.put("  ");
    put_padded(out, r.read, w[3], true);
    out.put("  ");
    put_padded(out, r.run, w[4], true);
    out.put("\n");
  }
  out.put("\n").put_int(generator.run_count()).put(generator.run_count() == 1 ? " run" : " runs");
  out.put("; keys read ").put_int(generator.read_count()).put(", written ");
  out.put_int(generator.write_count()).put("\n");
  if (budget_spent) {
    out.put("The 500 passes are spent: the test case ends where it stands, its keys left\n");
    out.put("unwritten; after step ").put_int(generator.steps()).put(" the buffer holds ");
    out.put(buffer_words(generator.slots())).put(".\n");
  }
  return 0;
}

}  // namespace runcheck::explain
