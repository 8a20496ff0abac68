#include "explain/printers/json_printer.h"

// Strings are copied 16 bytes at a time where every x86-64 processor can.
#if defined(__SSE2__) || defined(_M_X64)
#define RAPIDJSON_SSE2
#endif
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "explain/report/encoding.h"

namespace runcheck::explain {

namespace {

// The document is written into RapidJSON's own buffer, which goes to the
// console writer after each test case, so memory holds one test case's
// text. RapidJSON puts numbers, names and literals in one byte at a time;
// these, which need no escaping, are copied in whole, the writer keeping
// count of the values as ever.
class writer final : public rapidjson::Writer<rapidjson::StringBuffer> {
 public:
  using Writer::Writer;

  // JSON text of one value (a quoted name, null, a literal), as it stands.
  void raw(std::string_view text, rapidjson::Type type) {
    Prefix(type);
    std::memcpy(os_->Push(text.size()), text.data(), text.size());
    EndValue(true);
  }

  // A string of the printer's own, which needs no escaping, quoted.
  void identifier(std::string_view text) {
    Prefix(rapidjson::kStringType);
    char* p = os_->Push(text.size() + 2);
    p[0] = '"';
    std::memcpy(p + 1, text.data(), text.size());
    p[text.size() + 1] = '"';
    EndValue(true);
  }

  void integer(std::int64_t value) {
    Prefix(rapidjson::kNumberType);
    constexpr std::size_t room = 20;  // "-9223372036854775808"
    char* const p = os_->Push(room);
    char* const end = std::to_chars(p, p + room, value).ptr;
    os_->Pop(room - static_cast<std::size_t>(end - p));
    EndValue(true);
  }

  void null() { raw("null", rapidjson::kNullType); }

  // A member of an object: its name, already quoted, and the value that
  // `put` writes at the pointer it is given, in at most `room` bytes (it
  // gives the end of what it wrote).
  template <class put_value>
  void member(std::string_view quoted_name, std::size_t room, const put_value& put) {
    Prefix(rapidjson::kStringType);                    // the comma before the name
    ++level_stack_.template Top<Level>()->valueCount;  // the value, after the colon put here
    char* const p = os_->Push(quoted_name.size() + 1 + room);
    std::memcpy(p, quoted_name.data(), quoted_name.size());
    p[quoted_name.size()] = ':';
    char* const start = p + quoted_name.size() + 1;
    os_->Pop(room - static_cast<std::size_t>(put(start) - start));
  }
  void boolean(bool value) {
    raw(value ? "true" : "false", value ? rapidjson::kTrueType : rapidjson::kFalseType);
  }
};

void put_string(writer& w, std::string_view text) {
  std::string replaced;
  const std::string_view valid = valid_utf8(text, replaced);
  w.String(valid.data(), static_cast<rapidjson::SizeType>(valid.size()));
}

// A field name, quoted when the program is compiled: the names need no
// escaping, and are written as they stand.
template <std::size_t n>
struct quoted_name {
  std::array<char, n + 1> text{};  // the name between quotes, without the terminating NUL
  // Not explicit: a string literal is the template argument.
  // cppcheck-suppress noExplicitConstructor
  consteval quoted_name(const char (&name)[n]) {  // NOLINT(google-explicit-constructor)
    text[0] = '"';
    for (std::size_t i = 0; i + 1 < n; ++i) text[i + 1] = name[i];
    text[n] = '"';
  }
};

template <quoted_name name>
constexpr std::string_view quoted() {
  return {name.text.data(), name.text.size()};
}

template <quoted_name name>
void put_name(writer& w) {
  w.raw(quoted<name>(), rapidjson::kStringType);
}

// Members whose values need no escaping: a number, null for none, true or
// false, one of the printer's identifiers.
template <quoted_name name>
void field(writer& w, std::optional<std::int64_t> value) {
  constexpr std::size_t room = 20;  // "-9223372036854775808"
  w.member(quoted<name>(), room, [&](char* p) {
    if (!value) return std::copy_n("null", 4, p);
    return std::to_chars(p, p + room, *value).ptr;
  });
}

// A line, null where there is none (the end of the file).
template <quoted_name name>
void field_line(writer& w, std::int64_t line) {
  field<name>(w, line > 0 ? std::optional<std::int64_t>(line) : std::nullopt);
}

template <quoted_name name>
void field_bool(writer& w, bool value) {
  const std::string_view text = value ? "true" : "false";
  w.member(quoted<name>(), text.size(),
           [&](char* p) { return std::copy(text.begin(), text.end(), p); });
}

template <quoted_name name>
void field_identifier(writer& w, std::string_view value) {
  w.member(quoted<name>(), value.size() + 2, [&](char* p) {
    *p++ = '"';
    p = std::copy(value.begin(), value.end(), p);
    *p++ = '"';
    return p;
  });
}

// A value that is one of the printer's own identifiers.
void put_identifier(writer& w, std::string_view value) { w.identifier(value); }

std::string_view name_of(hint::kind h) {
  switch (h) {
    case hint::kind::file_ends_early:
      return "file_ends_early";
    case hint::kind::text_for_count:
      return "text_for_count";
    case hint::kind::count_not_alone:
      return "count_not_alone";
    case hint::kind::tabs:
      return "tabs";
    case hint::kind::commas:
      return "commas";
    case hint::kind::other_bytes:
      return "other_bytes";
    case hint::kind::cr_line_ends:
      return "cr_line_ends";
    case hint::kind::blank_run_line:
      return "blank_run_line";
    case hint::kind::long_line:
      return "long_line";
    case hint::kind::runs_on_one_line:
      return "runs_on_one_line";
    case hint::kind::run_split:
      return "run_split";
  }
  return {};
}

std::string_view name_of(file_hint h) {
  switch (h) {
    case file_hint::utf16:
      return "utf16";
    case file_hint::cr_line_ends:
      return "cr_line_ends";
    case file_hint::empty:
      return "empty";
    case file_hint::looks_like_run_file:
      return "looks_like_run_file";
    case file_hint::same_file:
      return "same_file";
  }
  return {};
}

std::string_view name_of(warning::kind k) {
  switch (k) {
    case warning::kind::numbers_after_run:
      return "numbers_after_run";
    case warning::kind::keys_out_of_range:
      return "keys_out_of_range";
    case warning::kind::budget_spent:
      return "budget_spent";
    case warning::kind::text_after_run_file:
      return "text_after_run_file";
    case warning::kind::text_after_test_case_file:
      return "text_after_test_case_file";
    case warning::kind::no_test_cases:
      return "no_test_cases";
  }
  return {};
}

std::string_view name_of(platform::open_failure f) {
  switch (f) {
    case platform::open_failure::none:
      return "none";
    case platform::open_failure::no_such_file:
      return "no_such_file";
    case platform::open_failure::is_directory:
      return "is_directory";
    case platform::open_failure::permission_denied:
      return "permission_denied";
    case platform::open_failure::not_regular_file:
      return "not_regular_file";
    case platform::open_failure::other:
      return "other";
  }
  return {};
}

std::string_view name_of(shift::cause c) {
  switch (c) {
    case shift::cause::count_too_large:
      return "count_too_large";
    case shift::cause::count_too_small:
      return "count_too_small";
    case shift::cause::empty_first_run:
      return "empty_first_run";
    case shift::cause::line_in_pieces:
      return "line_in_pieces";
    case shift::cause::lines_taken_as_runs:
      return "lines_taken_as_runs";
  }
  return {};
}

std::string_view name_of(explanation::rule r) {
  switch (r) {
    case explanation::rule::smallest_not_frozen:
      return "smallest_not_frozen";
    case explanation::rule::run_goes_on:
      return "run_goes_on";
    case explanation::rule::run_ends:
      return "run_ends";
  }
  return {};
}

std::string_view name_of(explanation::place p) {
  switch (p) {
    case explanation::place::none:
      return "none";
    case explanation::place::frozen:
      return "frozen";
    case explanation::place::in_buffer:
      return "in_buffer";
    case explanation::place::never_chosen:
      return "never_chosen";
    case explanation::place::to_be_read:
      return "to_be_read";
    case explanation::place::written:
      return "written";
    case explanation::place::not_a_key:
      return "not_a_key";
  }
  return {};
}

void put_file_hints(writer& w, const std::vector<file_hint>& hints) {
  w.StartArray();
  for (const file_hint h : hints) put_identifier(w, name_of(h));
  w.EndArray();
}

void put_warning(writer& w, const warning& warn) {
  w.StartObject();
  field_identifier<"warning">(w, name_of(warn.what));
  field_line<"line">(w, warn.line);
  if (warn.what == warning::kind::numbers_after_run) {
    field<"run">(w, warn.run);
  }
  w.EndObject();
}

// A finding's hints, each with the line it concerns: its own, or the
// finding's line.
void put_hints(writer& w, const std::vector<hint>& hints, std::int64_t finding_line) {
  for (const hint& h : hints) {
    w.StartObject();
    field_identifier<"hint">(w, name_of(h.what));
    field_line<"line">(w, h.line > 0 ? h.line : finding_line);
    if (h.what == hint::kind::runs_on_one_line || h.what == hint::kind::run_split) {
      field<"run">(w, h.run);
    }
    if (h.what == hint::kind::runs_on_one_line) {
      field<"runs">(w, h.runs);
    }
    w.EndObject();
  }
}

void put_read(writer& w, const file_place& at) {
  if (at.line > 0) {
    put_string(w, at.text);
  } else {
    w.null();
  }
}

void put_explanation(writer& w, const explanation& e) {
  w.StartObject();
  field<"run">(w, e.run);
  field<"position">(w, e.position);
  field<"step">(w, e.step);
  // The slots' keys (null for an empty slot), and the indices of the
  // frozen slots.
  put_name<"slots">(w);
  w.StartArray();
  for (const explanation::slot& s : e.slots) {
    if (s.what == explanation::slot::state::empty) {
      w.null();
    } else {
      w.integer(s.key);
    }
  }
  w.EndArray();
  put_name<"frozen">(w);
  w.StartArray();
  for (std::size_t i = 0; i < e.slots.size(); ++i) {
    if (e.slots[i].what == explanation::slot::state::frozen)
      w.integer(static_cast<std::int64_t>(i));
  }
  w.EndArray();
  field<"last_key">(w, e.last_key);
  field_identifier<"rule">(w, name_of(e.why));
  field<"expected">(w, e.expected);
  field<"found">(w, e.found);
  field_identifier<"found_is">(w, name_of(e.found_at));
  field<"found_run">(w,
                     e.found_written > 0 ? std::optional<std::int64_t>(e.found_run) : std::nullopt);
  field<"found_copies">(w, std::int64_t{e.found_copies});
  field<"found_written">(w, std::int64_t{e.found_written});
  w.EndObject();
}

void put_variant(writer& w, const std::optional<variant_match>& v) {
  if (!v) {
    w.null();
    return;
  }
  w.StartObject();
  field_identifier<"name">(w, v->name);
  put_name<"description">(w);
  put_string(w, v->description);
  put_name<"alternatives">(w);
  w.StartArray();
  for (const std::string_view name : v->alternatives) put_identifier(w, name);
  w.EndArray();
  w.EndObject();
}

}  // namespace

struct json_printer::document {
  document() : w(text) {}
  rapidjson::StringBuffer text;
  writer w;

  void flush_to(output& out) {
    out.put(std::string_view(text.GetString(), text.GetSize()));
    text.Clear();
  }
};

std::string_view json_name(file_hint h) { return name_of(h); }

std::string_view json_name(platform::open_failure f) { return name_of(f); }

json_printer::json_printer(output& out) : out_(out) {}

json_printer::~json_printer() = default;

void json_printer::file_begun(const file_summary& summary) {
  document_ = std::make_unique<document>();
  writer& w = document_->w;
  w.StartObject();
  put_name<"test_case_file">(w);
  put_string(w, summary.test_case_file);
  put_name<"run_file">(w);
  put_string(w, summary.run_file);
  if (summary.stopped) {
    const stop_report& stopped = *summary.stopped;
    put_name<"stop">(w);
    w.StartObject();
    put_name<"message">(w);
    put_string(w, stopped.message);
    put_name<"file">(w);
    put_string(w, stopped.file);
    field_line<"line">(w, stopped.line);
    put_name<"open_failure">(w);
    if (stopped.failure != platform::open_failure::none) {
      put_identifier(w, name_of(stopped.failure));
    } else {
      w.null();
    }
    put_name<"hints">(w);
    put_file_hints(w, stopped.hints);
    w.EndObject();
  }
  field<"total">(w, summary.total);
  field_bool<"strict">(w, summary.strict);
  put_name<"hints">(w);
  put_file_hints(w, summary.hints);
  put_name<"warnings">(w);
  w.StartArray();
  for (const warning& warn : summary.warnings) put_warning(w, warn);
  w.EndArray();
  put_name<"test_cases">(w);
  w.StartArray();
  document_->flush_to(out_);
}

void json_printer::test_case(const file_summary& /*summary*/, const test_case_report& report) {
  writer& w = document_->w;
  w.StartObject();
  field<"test_case">(w, std::int64_t{report.test_case} + 1);
  field_identifier<"verdict">(w, report.passed ? "passed" : "failed");
  put_name<"count">(w);
  if (report.count) {
    w.StartObject();
    field_line<"line">(w, report.count->at.line);
    field<"expected">(w, report.count->expected);
    field<"found">(w, report.count->found);
    put_name<"read">(w);
    put_read(w, report.count->at);
    w.EndObject();
  } else {
    w.null();
  }
  put_name<"runs">(w);
  w.StartArray();
  for (const run_finding& run : report.runs) {
    w.StartObject();
    field<"run">(w, run.run);
    field_line<"line">(w, run.at.line);
    field<"position">(w, run.position);
    field<"expected">(w, run.expected);
    field<"found">(w, run.found);
    put_name<"expected_run">(w);
    if (run.expected_run) {
      w.StartArray();
      for (const std::int32_t k : *run.expected_run) w.integer(k);
      w.EndArray();
    } else {
      w.null();  // for a student
    }
    put_name<"read">(w);
    put_read(w, run.at);
    w.EndObject();
  }
  w.EndArray();
  field<"more_runs">(w, report.more_runs);
  field_bool<"out_of_step">(w, report.out_of_step);
  put_name<"hints">(w);
  w.StartArray();
  if (report.count) put_hints(w, report.count->hints, report.count->at.line);
  for (const run_finding& run : report.runs) put_hints(w, run.hints, run.at.line);
  w.EndArray();
  put_name<"explanation">(w);
  if (report.why) {
    put_explanation(w, *report.why);
  } else {
    w.null();
  }
  put_name<"variant">(w);
  put_variant(w, report.variant);
  put_name<"warnings">(w);
  w.StartArray();
  for (const warning& warn : report.warnings) put_warning(w, warn);
  w.EndArray();
  field<"more_warnings">(w, report.more_warnings);
  field_bool<"failed_by_warning">(w, report.failed_by_warning);
  put_name<"notes">(w);
  w.StartArray();
  if (report.shifted) {
    w.StartObject();
    field_identifier<"note">(w, "out_of_step_after");
    field_identifier<"cause">(w, name_of(report.shifted->why));
    field_line<"line">(w, report.shifted->line);
    field_line<"next_count_line">(w, report.shifted->next_count_line);
    w.EndObject();
  }
  if (report.variants_not_compared) {
    w.StartObject();
    field_identifier<"note">(w, "variants_not_compared");
    w.EndObject();
  }
  w.EndArray();
  field_bool<"passed_independently">(w, report.passed_independently);
  w.EndObject();
  document_->flush_to(out_);
}

void json_printer::file_ended(const file_summary& summary) {
  writer& w = document_->w;
  w.EndArray();
  constexpr std::string_view verdicts[] = {"pass", "fail", "stopped"};
  field_identifier<"verdict">(w, verdicts[summary.status()]);
  field<"passed">(w, summary.passed);
  field<"failed">(w, std::int64_t{summary.total} - summary.passed);
  put_name<"variant">(w);
  put_variant(w, summary.variant);
  field<"unexplained">(w, summary.unexplained);
  field<"passed_independently">(w, summary.passed_independently);
  w.EndObject();
  document_->flush_to(out_);
  document_.reset();
  out_.put('\n');
}

}  // namespace runcheck::explain
