// The examples of the documentation, run through the built program, so that
// what the run-file guide and the README show cannot drift from what the
// program does.
//
// An example is a set of fenced blocks, each announced by a comment on the
// line just before its opening fence:
//
//   <!-- example NAME: ROLE[; OPTION]... -->
//
// ROLE is "test-case file", "run file", "output" (the whole standard output,
// which ends with the prompt and no line break), "output excerpt" (lines
// that the output holds one after the other, each line whole) or "explain
// output" (the whole standard output of runcheck-explain without arguments). A file role
// may instead read "test-case file as in OTHER" (or "run file as in OTHER"),
// with no block, to reuse an earlier example's file. Options change how a
// file is written: "CRLF line ends", "a space before each line break",
// "tabs for spaces", and "\"P\" stands for N times \"T\"" to write T N times
// where the block shows P. A file an example does not give is absent.
//
// Every other fenced block must be a shell command (```sh), so that no
// example goes untested. The guide also lists the program's messages as
// headings "#### `MESSAGE`", with %d for a number and %s for a file name;
// each must appear in the output of one of the guide's examples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace fs = std::filesystem;
using runcheck::testing::read_file;
using runcheck::testing::run_in_directory;
using runcheck::testing::temp_dir;
using runcheck::testing::write_file;

namespace {

struct example {
  std::string document;  // file name of the document, for test names
  std::string name;
  int line = 0;  // line of the first marker
  std::optional<std::string> test_case_file;
  std::optional<std::string> run_file;
  std::optional<std::string> output;
  std::optional<std::string> explain_output;
  std::vector<std::string> excerpts;
};

struct parsed_document {
  std::vector<example> examples;
  std::vector<std::string> messages;
  std::vector<std::string> errors;
};

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

// A line without its leading spaces, as a fence inside a list item stands.
std::string unindented(const std::string& line) {
  return line.substr(std::min(line.find_first_not_of(' '), line.size()));
}

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// Applies one file option to a block; gives false for an unknown option.
bool apply_option(const std::string& option, std::string& file) {
  static const std::regex stands_for(R"re("([^"]+)" stands for ([0-9]+) times "([^"]+)")re");
  std::smatch m;
  if (option == "CRLF line ends") {
    file = replace_all(file, "\n", "\r\n");
  } else if (option == "a space before each line break") {
    file = replace_all(file, "\n", " \n");
  } else if (option == "tabs for spaces") {
    std::replace(file.begin(), file.end(), ' ', '\t');
  } else if (std::regex_match(option, m, stands_for)) {
    std::string expansion;
    for (int i = std::stoi(m[2].str()); i > 0; --i) expansion += m[3].str();
    if (file.find(m[1].str()) == std::string::npos) return false;
    file = replace_all(file, m[1].str(), expansion);
  } else {
    return false;
  }
  return true;
}

std::vector<std::string> split_options(const std::string& body) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = body.find("; ", start);
    parts.push_back(body.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return parts;
    start = end + 2;
  }
}

parsed_document parse_document(const std::string& document, const std::string& text) {
  static const std::regex marker(R"(<!-- example ([a-z0-9-]+): (.+) -->)");
  static const std::regex as_in(R"((test-case file|run file) as in ([a-z0-9-]+))");
  static const std::regex message(R"(#### `(.+)`)");
  parsed_document parsed;
  std::map<std::string, std::size_t> index;
  const std::vector<std::string> lines = split_lines(text);
  const auto fail = [&](std::size_t i, const std::string& what) {
    parsed.errors.push_back(document + ":" + std::to_string(i + 1) + ": " + what);
  };

  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::smatch m;
    if (std::regex_match(lines[i], m, message)) parsed.messages.push_back(m[1].str());
    if (unindented(lines[i]).rfind("```", 0) == 0) {
      // A block that no marker announced: only a shell command may be one.
      if (unindented(lines[i]) != "```sh") fail(i, "fenced block without an example marker");
      for (++i; i < lines.size() && unindented(lines[i]) != "```"; ++i) {
      }
      continue;
    }
    if (lines[i].find("<!-- example") == std::string::npos) continue;
    if (!std::regex_match(lines[i], m, marker)) {
      fail(i, "malformed example marker");
      continue;
    }
    const std::size_t at = i;  // the marker's line, for messages
    const std::string name = m[1].str();
    const std::vector<std::string> parts = split_options(m[2].str());
    if (!index.contains(name)) {
      index[name] = parsed.examples.size();
      parsed.examples.push_back({document, name, static_cast<int>(i + 1), {}, {}, {}, {}, {}});
    }
    example& ex = parsed.examples[index[name]];

    std::string block;
    std::smatch reuse;
    std::string role = parts[0];
    if (std::regex_match(parts[0], reuse, as_in)) {
      role = reuse[1].str();
      const auto other = index.find(reuse[2].str());
      const example* source = other == index.end() ? nullptr : &parsed.examples[other->second];
      const std::optional<std::string>* file = nullptr;
      if (source != nullptr && source != &ex) {
        file = role == "run file" ? &source->run_file : &source->test_case_file;
      }
      if (file == nullptr || !*file) {
        fail(i, "no earlier " + role + " of example " + reuse[2].str());
        continue;
      }
      block = **file;
    } else {
      if (i + 1 >= lines.size() || lines[i + 1].rfind("```", 0) != 0) {
        fail(i, "the marker is not followed by a fenced block");
        continue;
      }
      std::size_t j = i + 2;
      for (; j < lines.size() && lines[j] != "```"; ++j) block += lines[j] + "\n";
      if (j == lines.size()) {
        fail(i, "the fenced block is not closed");
        continue;
      }
      i = j;
    }

    bool options_ok = true;
    for (std::size_t p = 1; p < parts.size(); ++p) {
      if (role.ends_with("output") || role == "output excerpt" || !apply_option(parts[p], block)) {
        fail(at, "unknown option \"" + parts[p] + "\" for " + role);
        options_ok = false;
      }
    }
    if (!options_ok) continue;

    std::optional<std::string>* slot = nullptr;
    if (role == "test-case file") {
      slot = &ex.test_case_file;
    } else if (role == "run file") {
      slot = &ex.run_file;
    } else if (role == "output") {
      slot = &ex.output;
    } else if (role == "explain output") {
      slot = &ex.explain_output;
    } else if (role == "output excerpt") {
      if (block.empty()) fail(at, "empty output excerpt");
      ex.excerpts.push_back(block);
      continue;
    } else {
      fail(at, "unknown role \"" + role + "\"");
      continue;
    }
    if (*slot) {
      std::string complaint = "example " + name;
      complaint += " has a second ";
      complaint += role;
      fail(at, complaint);
      continue;
    }
    *slot = block;
  }

  for (const example& ex : parsed.examples) {
    if (!ex.output && !ex.explain_output && ex.excerpts.empty()) {
      parsed.errors.push_back(document + ":" + std::to_string(ex.line) + ": example " + ex.name +
                              " shows no output");
    }
  }
  return parsed;
}

const std::vector<std::string>& document_paths() {
  static const std::vector<std::string> paths = {RUN_FILE_GUIDE, README_FILE};
  return paths;
}

parsed_document parse_file(const std::string& path) {
  const std::string name = fs::path(path).filename().string();
  if (!fs::is_regular_file(path)) return {{}, {}, {path + ": missing"}};
  return parse_document(name, read_file(path));
}

std::vector<example> all_examples() {
  std::vector<example> examples;
  for (const std::string& path : document_paths()) {
    for (example& ex : parse_file(path).examples) examples.push_back(std::move(ex));
  }
  return examples;
}

// What runcheck, or runcheck-explain, prints for the example's files.
std::string run_example(const example& ex, bool explain = false) {
  temp_dir work;
  if (ex.test_case_file) write_file(work.path() / "replacement_input.txt", *ex.test_case_file);
  if (ex.run_file) write_file(work.path() / "replacement_output.txt", *ex.run_file);
  const auto outcome =
      run_in_directory(explain ? RUNCHECK_EXPLAIN_BINARY : RUNCHECK_BINARY, work.path());
  EXPECT_TRUE(outcome.exited);
  EXPECT_TRUE(explain || outcome.exit_status == 0);
  return outcome.stdout_text;
}

// Whether `excerpt` (whole lines, each ending in a line break) appears as
// consecutive whole lines of `output`.
bool holds_lines(const std::string& output, const std::string& excerpt) {
  std::vector<std::string> want = split_lines(excerpt);
  want.pop_back();  // the empty piece after the excerpt's last line break
  const std::vector<std::string> got = split_lines(output);
  return std::search(got.begin(), got.end(), want.begin(), want.end()) != got.end();
}

// A listed message as a pattern: %d a signed number, %s a quoted name's text.
std::regex message_pattern(const std::string& message) {
  static const std::regex metachars(R"([.^$|()\[\]{}*+?\\])");
  std::string pattern = std::regex_replace(message, metachars, R"(\$&)");
  pattern = replace_all(pattern, "%d", "-?[0-9]+");
  pattern = replace_all(pattern, "%s", "[^\"]*");
  return std::regex(pattern);
}

TEST(guide_extraction, documents_hold_well_formed_examples) {
  for (const std::string& path : document_paths()) {
    SCOPED_TRACE(path);
    const parsed_document parsed = parse_file(path);
    EXPECT_EQ(std::vector<std::string>{}, parsed.errors);
    EXPECT_FALSE(parsed.examples.empty()) << "no example found";
  }
}

TEST(guide_extraction, rejects_malformed_examples) {
  struct row {
    const char* name;
    const char* text;
  };
  const row rows[] = {
      {"unknown role", "<!-- example a: input -->\n```\n1\n```\n"},
      {"no block after the marker", "<!-- example a: output -->\n\n```\nx\n```\n"},
      {"block not closed", "<!-- example a: output -->\n```\nx\n"},
      {"marker without a name", "<!-- example: output -->\n```\nx\n```\n"},
      {"unknown option",
       "<!-- example a: run file; UTF-16 -->\n```\n1\n```\n"
       "<!-- example a: output -->\n```\nx\n```\n"},
      {"placeholder not in the block",
       "<!-- example a: run file; \"[...]\" stands for 3 times \"0\" -->\n```\n1\n```\n"
       "<!-- example a: output -->\n```\nx\n```\n"},
      {"second run file",
       "<!-- example a: run file -->\n```\n1\n```\n"
       "<!-- example a: run file -->\n```\n1\n```\n"
       "<!-- example a: output -->\n```\nx\n```\n"},
      {"reuse of an unknown example",
       "<!-- example a: run file as in b -->\n<!-- example a: output -->\n```\nx\n```\n"},
      {"no output", "<!-- example a: run file -->\n```\n1\n```\n"},
      {"block without a marker", "```text\n1\n```\n<!-- example a: output -->\n```\nx\n```\n"},
      {"indented block without a marker",
       "1. see\n\n   ```\n   1\n   ```\n<!-- example a: output -->\n```\nx\n```\n"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_FALSE(parse_document("doc.md", r.text).errors.empty());
  }
}

TEST(guide_extraction, reads_files_with_their_options) {
  const parsed_document parsed = parse_document("doc.md",
                                                "<!-- example a: test-case file -->\n"
                                                "```text\n1\n2 3\n```\n"
                                                "<!-- example a: output -->\n```\nend\n```\n"
                                                "<!-- example b: test-case file as in a -->\n"
                                                "<!-- example b: run file; CRLF line ends; "
                                                "\"[...]\" stands for 3 times \" 0\" -->\n"
                                                "```\n1\n5[...]\n```\n"
                                                "<!-- example b: output excerpt -->\n```\nx\n```\n"
                                                "#### `run %d is wrong`\n");
  ASSERT_EQ(std::vector<std::string>{}, parsed.errors);
  ASSERT_EQ(2u, parsed.examples.size());
  EXPECT_EQ("1\n2 3\n", parsed.examples[0].test_case_file.value_or(""));
  EXPECT_EQ("end\n", parsed.examples[0].output.value_or(""));
  EXPECT_FALSE(parsed.examples[0].run_file);
  EXPECT_EQ("1\n2 3\n", parsed.examples[1].test_case_file.value_or(""));
  EXPECT_EQ("1\r\n5 0 0 0\r\n", parsed.examples[1].run_file.value_or(""));
  EXPECT_EQ(std::vector<std::string>{"x\n"}, parsed.examples[1].excerpts);
  EXPECT_EQ(std::vector<std::string>{"run %d is wrong"}, parsed.messages);
}

// Names the example in test listings instead of dumping its bytes.
void PrintTo(const example& ex, std::ostream* os) { *os << ex.document << ": " << ex.name; }

class guide_example : public ::testing::TestWithParam<example> {};

TEST_P(guide_example, output_matches) {
  const example& ex = GetParam();
  const std::string output = run_example(ex);
  if (ex.output) {
    // A block ends in a line break; the output ends with the prompt and none.
    EXPECT_EQ(*ex.output, output + "\n");
  }
  for (const std::string& excerpt : ex.excerpts) {
    EXPECT_TRUE(holds_lines(output, excerpt)) << "excerpt:\n" << excerpt << "output:\n" << output;
  }
  if (ex.explain_output) {
    EXPECT_EQ(*ex.explain_output, run_example(ex, true));
  }
}

INSTANTIATE_TEST_SUITE_P(docs, guide_example, ::testing::ValuesIn(all_examples()),
                         [](const ::testing::TestParamInfo<example>& info) {
                           std::string id = fs::path(info.param.document).stem().string() + "_" +
                                            info.param.name;
                           for (char& c : id) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return id;
                         });

TEST(guide_messages, each_listed_message_is_printed_by_an_example) {
  const parsed_document guide = parse_file(RUN_FILE_GUIDE);
  ASSERT_FALSE(guide.messages.empty()) << "the guide lists no message";
  std::vector<std::string> outputs;
  for (const example& ex : guide.examples) outputs.push_back(run_example(ex));
  for (const std::string& message : guide.messages) {
    SCOPED_TRACE(message);
    const std::regex pattern = message_pattern(message);
    EXPECT_TRUE(std::any_of(outputs.begin(), outputs.end(), [&](const std::string& output) {
      return std::regex_search(output, pattern);
    })) << "no example of the guide prints this message";
  }
}

// The manual page shows the bundled example's two files; they must be the
// files of examples/, which the install test runs.
TEST(manual_page, shows_the_bundled_example) {
  const std::vector<std::string> lines = split_lines(read_file(MANUAL_PAGE));
  std::vector<std::string> blocks;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != ".EX") continue;
    std::string block;
    for (++i; i < lines.size() && lines[i] != ".EE"; ++i) block += lines[i] + "\n";
    blocks.push_back(block);
  }
  const fs::path examples = EXAMPLES_DIR;
  for (const char* file : {"replacement_input.txt", "replacement_output.txt"}) {
    SCOPED_TRACE(file);
    EXPECT_NE(blocks.end(), std::find(blocks.begin(), blocks.end(), read_file(examples / file)));
  }
}

}  // namespace
