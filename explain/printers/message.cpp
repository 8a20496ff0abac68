#include "explain/printers/message.h"

#include "explain/report/audience.h"
#include "explain/report/encoding.h"

namespace runcheck::explain {

void message::file_begun(const file_summary& summary) {
  printer_.file_begun(for_audience(summary, who_));
  take();
}

void message::test_case(const file_summary& summary, const test_case_report& report) {
  if (cut_) return;
  printer_.test_case(summary, for_audience(report, who_));
  take();
}

void message::file_ended(const file_summary& summary) {
  if (!cut_) printer_.file_ended(for_audience(summary, who_));
  printer_.all_files_ended();
  take();
  // File names are printed as given: made valid UTF-8 here.
  std::string replaced;
  if (const std::string_view valid = valid_utf8(kept_, replaced); valid.data() != kept_.data())
    kept_ = std::string(valid);
}

void message::take() {
  const std::string& written = written_.text();
  if (!cut_) {
    constexpr std::string_view note = "\n[cut here: the message is longer than its system takes]\n";
    if (kept_.size() + written.size() <= cap_) {
      kept_ += written;
    } else {
      const std::size_t room =
          cap_ > kept_.size() + note.size() ? cap_ - kept_.size() - note.size() : 0;
      kept_ += utf8_prefix(written, room);
      kept_ += note;
      cut_ = true;
    }
  }
  written_.clear();
}

std::string test_case_text(const file_summary& summary, const test_case_report& report,
                           audience who) {
  output written;
  text_printer printer(written);
  printer.test_case(summary, for_audience(report, who));
  // The block is held back until the file ends; the rest of file_ended
  // (the notes on the whole file) is not this test case's.
  file_summary quiet = summary;
  quiet.variant.reset();
  quiet.unexplained = 0;
  quiet.repeated_hints.clear();
  printer.file_ended(quiet);
  return written.text();
}

std::string one_line(std::string_view text, std::size_t cap) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') {
      line.push_back(text[i]);
      continue;
    }
    while (i + 1 < text.size() && text[i + 1] == ' ') ++i;
    if (i + 1 < text.size()) line += " / ";
  }
  std::string replaced;
  if (const std::string_view valid = valid_utf8(line, replaced); valid.data() != line.data())
    line = std::string(valid);
  constexpr std::string_view note = " [cut here: the message is longer than its system takes]";
  if (line.size() <= cap) return line;
  std::string cut(utf8_prefix(line, cap > note.size() ? cap - note.size() : 0));
  return cut + std::string(note);
}

}  // namespace runcheck::explain
