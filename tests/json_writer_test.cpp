// The JSON writer: valid JSON of valid UTF-8 whatever the bytes, and its
// fast path writing what RapidJSON's own writer would.
#include "explain/printers/json_writer.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "explain/report/encoding.h"

namespace runcheck::explain {
namespace {

// True when `text` is valid UTF-8 throughout.
bool valid(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n =
        static_cast<unsigned char>(text[i]) < 0x80 ? 1 : utf8_sequence(text.substr(i));
    if (n == 0) return false;
    i += n;
  }
  return true;
}

TEST(json_writer, any_bytes_make_a_valid_string) {
  std::mt19937 random(7);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same bytes every run
  const std::string_view edges[] = {
      "",         "\xC0\xAF",    "\xED\xA0\x80",  "\xF4\x90\x80\x80",
      "\xE2\x82", "caf\xC3\xA9", "\x7F\x1F\"\\/", std::string_view("\0x", 2)};
  for (int round = 0; round < 2000; ++round) {
    std::string bytes;
    if (round < static_cast<int>(std::size(edges))) {
      bytes = edges[round];
    } else {
      bytes.resize(random() % 40);
      // Mostly bytes from 0x80 on, where UTF-8 goes wrong.
      for (char& c : bytes)
        c = static_cast<char>(random() % 3 == 0 ? random() % 0x80 : 0x80 + random() % 0x80);
    }
    SCOPED_TRACE(round);
    json_writer w;
    w.start_object();
    w.key(bytes);
    w.string(bytes);
    w.end_object();
    const std::string text(w.text());
    EXPECT_TRUE(valid(text));
    for (const char c : text)
      EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "a raw control byte";
    rapidjson::Document read;
    read.Parse(text.c_str(), text.size());
    ASSERT_FALSE(read.HasParseError()) << text;
    std::string replaced;
    const std::string_view want = valid_utf8(bytes, replaced);
    const auto member = read.MemberBegin();
    ASSERT_NE(member, read.MemberEnd());
    EXPECT_EQ(want, std::string_view(member->name.GetString(), member->name.GetStringLength()));
    EXPECT_EQ(want, std::string_view(member->value.GetString(), member->value.GetStringLength()));
  }
}

// Every byte, alone and among 40 others (where RapidJSON's 16-byte scan
// runs), escaped as RapidJSON's byte-by-byte writer escapes it.
TEST(json_writer, strings_escaped_as_rapidjson_escapes_them) {
  for (int b = 0; b < 0x80; ++b) {
    for (const std::size_t around : {std::size_t{0}, std::size_t{20}}) {
      SCOPED_TRACE(std::to_string(b) + " among " + std::to_string(2 * around));
      const std::string text =
          std::string(around, 'a') + static_cast<char>(b) + std::string(around, 'z');
      json_writer fast;
      fast.start_array();
      fast.string(text);
      fast.key(text);
      fast.end_array();
      // Another buffer type than StringBuffer: RapidJSON's writer then
      // scans a byte at a time.
      rapidjson::GenericStringBuffer<rapidjson::UTF8<>, rapidjson::MemoryPoolAllocator<>> buffer;
      rapidjson::Writer<decltype(buffer)> plain(buffer);
      plain.StartArray();
      plain.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
      plain.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
      plain.EndArray();
      EXPECT_EQ(std::string_view(buffer.GetString(), buffer.GetSize()), fast.text());
    }
  }
}

// The fast path keeps RapidJSON's count of values: commas and colons fall
// where RapidJSON's own writer puts them.
TEST(json_writer, fast_path_writes_what_rapidjson_writes) {
  json_writer fast;
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> plain(buffer);
  const auto both = [&](auto&& on_fast, auto&& on_plain) {
    on_fast();
    on_plain();
  };
  const auto member = [&](std::string_view name, std::int64_t value) {
    const std::string quoted = "\"" + std::string(name) + "\"";
    fast.member(quoted, 20, [&](char* p) { return std::to_chars(p, p + 20, value).ptr; });
    plain.Key(name.data(), static_cast<rapidjson::SizeType>(name.size()));
    plain.Int64(value);
  };
  both([&] { fast.start_object(); }, [&] { plain.StartObject(); });
  member("first", 0);
  member("least", std::numeric_limits<std::int64_t>::min());
  both([&] { fast.quoted_key("\"list\""); }, [&] { plain.Key("list"); });
  both([&] { fast.start_array(); }, [&] { plain.StartArray(); });
  for (const std::int64_t v : {std::int64_t{-1}, std::numeric_limits<std::int64_t>::max()})
    both([&] { fast.integer(v); }, [&] { plain.Int64(v); });
  both([&] { fast.null(); }, [&] { plain.Null(); });
  both([&] { fast.boolean(true); }, [&] { plain.Bool(true); });
  both([&] { fast.boolean(false); }, [&] { plain.Bool(false); });
  both([&] { fast.identifier("passed"); }, [&] { plain.String("passed"); });
  both([&] { fast.start_object(); }, [&] { plain.StartObject(); });
  member("inner", 5);
  both([&] { fast.end_object(); }, [&] { plain.EndObject(); });
  both([&] { fast.number(0.75); }, [&] { plain.Double(0.75); });
  both([&] { fast.end_array(); }, [&] { plain.EndArray(); });
  member("last", 42);
  both([&] { fast.key("text"); }, [&] { plain.Key("text"); });
  both([&] { fast.string("a\tb"); }, [&] { plain.String("a\tb"); });
  both([&] { fast.end_object(); }, [&] { plain.EndObject(); });
  EXPECT_EQ(std::string_view(buffer.GetString(), buffer.GetSize()), fast.text());
  EXPECT_TRUE(plain.IsComplete());
}

TEST(json_writer, flushed_in_pieces) {
  json_writer w;
  output out;
  w.start_array();
  w.integer(1);
  w.flush_to(out);
  EXPECT_EQ(0U, w.size());
  w.integer(2);
  w.end_array();
  w.flush_to(out);
  EXPECT_EQ("[1,2]", out.text());
}

}  // namespace
}  // namespace runcheck::explain
