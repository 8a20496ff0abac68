#include "explain/printers/json_printer.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "explain/printers/json_writer.h"

namespace runcheck::explain {

namespace {

// A member's name that is the printers' own.
template <quoted_name name>
void put_name(json_writer& w) {
  w.quoted_key(name.quoted());
}

// Members whose values need no escaping: a number, or null for none; a
// line, null where there is none (0: the end of the file); true or false;
// one of the printers' identifiers.
template <quoted_name name>
void field(json_writer& w, std::optional<std::int64_t> value) {
  constexpr std::size_t room = 20;  // "-9223372036854775808"
  w.member(name.quoted(), room, [&](char* p) {
    if (!value) return std::copy_n("null", 4, p);
    return std::to_chars(p, p + room, *value).ptr;
  });
}
template <quoted_name name>
void field_line(json_writer& w, std::int64_t line) {
  field<name>(w, line > 0 ? std::optional<std::int64_t>(line) : std::nullopt);
}
template <quoted_name name>
void field_bool(json_writer& w, bool value) {
  const std::string_view literal = value ? std::string_view("true") : std::string_view("false");
  w.member(name.quoted(), literal.size(),
           [&](char* p) { return std::copy(literal.begin(), literal.end(), p); });
}
template <quoted_name name>
void field_identifier(json_writer& w, std::string_view value) {
  w.member(name.quoted(), value.size() + 2, [&](char* p) {
    *p++ = '"';
    p = std::copy(value.begin(), value.end(), p);
    *p++ = '"';
    return p;
  });
}

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
    case hint::kind::text_in_run_line:
      return "text_in_run_line";
    case hint::kind::run_missing:
      return "run_missing";
    case hint::kind::empty_last_run:
      return "empty_last_run";
    case hint::kind::key_per_line:
      return "key_per_line";
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
    case file_hint::test_case_file:
      return "test_case_file";
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

void put_file_hints(json_writer& w, const std::vector<file_hint>& hints) {
  w.start_array();
  for (const file_hint h : hints) w.identifier(name_of(h));
  w.end_array();
}

void put_warning(json_writer& w, const warning& warn) {
  w.start_object();
  field_identifier<"warning">(w, name_of(warn.what));
  field_line<"line">(w, warn.line);
  if (warn.what == warning::kind::numbers_after_run) {
    field<"run">(w, warn.run);
  }
  w.end_object();
}

// A finding's hints, each with the line it concerns: its own, or the
// finding's line.
void put_hints(json_writer& w, const std::vector<hint>& hints, std::int64_t finding_line) {
  for (const hint& h : hints) {
    w.start_object();
    field_identifier<"hint">(w, name_of(h.what));
    field_line<"line">(w, h.line > 0 ? h.line : finding_line);
    if (h.what == hint::kind::runs_on_one_line || h.what == hint::kind::run_split ||
        h.what == hint::kind::run_missing) {
      field<"run">(w, h.run);
    }
    if (h.what == hint::kind::runs_on_one_line) {
      field<"runs">(w, h.runs);
    }
    if (h.what == hint::kind::text_in_run_line) {
      put_name<"text">(w);
      w.string(h.text);
    }
    w.end_object();
  }
}

void put_read(json_writer& w, const file_place& at) {
  if (at.line > 0) {
    w.string(at.text);
  } else {
    w.null();
  }
}

void put_explanation(json_writer& w, const explanation& e) {
  w.start_object();
  field<"run">(w, e.run);
  field<"position">(w, e.position);
  field<"step">(w, e.step);
  // The slots' keys (null for an empty slot), and the indices of the
  // frozen slots.
  put_name<"slots">(w);
  w.start_array();
  for (const explanation::slot& s : e.slots) {
    if (s.what == explanation::slot::state::empty) {
      w.null();
    } else {
      w.integer(s.key);
    }
  }
  w.end_array();
  put_name<"frozen">(w);
  w.start_array();
  for (std::size_t i = 0; i < e.slots.size(); ++i) {
    if (e.slots[i].what == explanation::slot::state::frozen)
      w.integer(static_cast<std::int64_t>(i));
  }
  w.end_array();
  field<"last_key">(w, e.last_key);
  field_identifier<"rule">(w, name_of(e.why));
  field<"expected">(w, e.expected);
  field<"found">(w, e.found);
  field_identifier<"found_is">(w, name_of(e.found_at));
  field<"found_run">(w,
                     e.found_written > 0 ? std::optional<std::int64_t>(e.found_run) : std::nullopt);
  field<"found_copies">(w, std::int64_t{e.found_copies});
  field<"found_written">(w, std::int64_t{e.found_written});
  w.end_object();
}

void put_variant(json_writer& w, const std::optional<variant_match>& v) {
  if (!v) {
    w.null();
    return;
  }
  w.start_object();
  field_identifier<"name">(w, v->name);
  put_name<"description">(w);
  w.string(v->description);
  put_name<"alternatives">(w);
  w.start_array();
  for (const std::string_view name : v->alternatives) w.identifier(name);
  w.end_array();
  w.end_object();
}

}  // namespace

struct json_printer::document {
  json_writer w;
};

std::string_view json_name(file_hint h) { return name_of(h); }

std::string_view json_name(platform::open_failure f) { return name_of(f); }

json_printer::json_printer(output& out) : out_(out) {}

json_printer::~json_printer() = default;

void json_printer::file_begun(const file_summary& summary) {
  document_ = std::make_unique<document>();
  json_writer& w = document_->w;
  w.start_object();
  put_name<"test_case_file">(w);
  w.string(summary.test_case_file);
  put_name<"run_file">(w);
  w.string(summary.run_file);
  if (summary.stopped) {
    const stop_report& stopped = *summary.stopped;
    put_name<"stop">(w);
    w.start_object();
    put_name<"message">(w);
    w.string(stopped.message);
    put_name<"file">(w);
    w.string(stopped.file);
    field_line<"line">(w, stopped.line);
    put_name<"open_failure">(w);
    if (stopped.failure != platform::open_failure::none) {
      w.identifier(name_of(stopped.failure));
    } else {
      w.null();
    }
    put_name<"hints">(w);
    put_file_hints(w, stopped.hints);
    w.end_object();
  }
  field<"total">(w, summary.total);
  field_bool<"strict">(w, summary.strict);
  put_name<"hints">(w);
  put_file_hints(w, summary.hints);
  put_name<"warnings">(w);
  w.start_array();
  for (const warning& warn : summary.warnings) put_warning(w, warn);
  w.end_array();
  put_name<"test_cases">(w);
  w.start_array();
  w.flush_to(out_);
}

void json_printer::test_case(const file_summary& /*summary*/, const test_case_report& report) {
  json_writer& w = document_->w;
  w.start_object();
  field<"test_case">(w, std::int64_t{report.test_case} + 1);
  field_identifier<"verdict">(w, report.passed ? "passed" : "failed");
  put_name<"count">(w);
  if (report.count) {
    w.start_object();
    field_line<"line">(w, report.count->at.line);
    field<"expected">(w, report.listing_hidden
                             ? std::nullopt
                             : std::optional<std::int64_t>(report.count->expected));
    field<"found">(w, report.count->found);
    field_bool<"holds_text">(w, report.count->holds_text);
    put_name<"read">(w);
    put_read(w, report.count->at);
    w.end_object();
  } else {
    w.null();
  }
  put_name<"runs">(w);
  w.start_array();
  for (const run_finding& run : report.runs) {
    w.start_object();
    field<"run">(w, run.run);
    field_line<"line">(w, run.at.line);
    field<"position">(w, run.position);
    field<"expected">(
        w, report.listing_hidden ? std::nullopt : std::optional<std::int64_t>(run.expected));
    field<"found">(w, run.found);
    put_name<"expected_run">(w);
    if (run.expected_run) {
      w.start_array();
      for (const std::int32_t k : *run.expected_run) w.integer(k);
      w.end_array();
    } else {
      w.null();  // for a student
    }
    put_name<"read">(w);
    put_read(w, run.at);
    w.end_object();
  }
  w.end_array();
  field<"more_runs">(w, report.more_runs);
  field_bool<"out_of_step">(w, report.step == step_state::out_of_step);
  field_bool<"may_be_out_of_step">(w, report.step == step_state::may_be_out_of_step);
  put_name<"hints">(w);
  w.start_array();
  if (report.count) put_hints(w, report.count->hints, report.count->at.line);
  for (const run_finding& run : report.runs) put_hints(w, run.hints, run.at.line);
  w.end_array();
  put_name<"explanation">(w);
  if (report.why) {
    put_explanation(w, *report.why);
  } else {
    w.null();
  }
  put_name<"variant">(w);
  put_variant(w, report.variant);
  put_name<"warnings">(w);
  w.start_array();
  for (const warning& warn : report.warnings) put_warning(w, warn);
  w.end_array();
  field<"more_warnings">(w, report.more_warnings);
  field_bool<"failed_by_warning">(w, report.failed_by_warning);
  put_name<"notes">(w);
  w.start_array();
  if (report.shifted) {
    w.start_object();
    field_identifier<"note">(w, "out_of_step_after");
    field_identifier<"cause">(w, name_of(report.shifted->why));
    field_line<"line">(w, report.shifted->line);
    field_line<"next_count_line">(w, report.shifted->next_count_line);
    field_bool<"may_be">(w, report.shifted->may_be);
    w.end_object();
  }
  if (report.variants_not_compared) {
    w.start_object();
    field_identifier<"note">(w, "variants_not_compared");
    w.end_object();
  }
  w.end_array();
  field_bool<"passed_independently">(w, report.passed_independently);
  w.end_object();
  w.flush_to(out_);
}

void json_printer::file_ended(const file_summary& summary) {
  json_writer& w = document_->w;
  w.end_array();
  constexpr std::string_view verdicts[] = {"pass", "fail", "stopped"};
  field_identifier<"verdict">(w, verdicts[summary.status()]);
  field<"passed">(w, summary.passed);
  field<"failed">(w, std::int64_t{summary.total} - summary.passed);
  put_name<"variant">(w);
  put_variant(w, summary.variant);
  field<"unexplained">(w, summary.unexplained);
  put_name<"repeated_hints">(w);
  w.start_array();
  for (const repeated_hint& h : summary.repeated_hints) {
    w.start_object();
    field_identifier<"hint">(w, name_of(h.what));
    field_line<"line">(w, h.line);
    field<"more">(w, h.more);
    w.end_object();
  }
  w.end_array();
  field<"passed_independently">(w, summary.passed_independently);
  w.end_object();
  w.flush_to(out_);
  document_.reset();
  out_.put('\n');
}

}  // namespace runcheck::explain
