// The facts input reader: accepted forms with their decoded documents, and
// every kind of failure with its exact message and position.
#include <gtest/gtest.h>
#include <cstring>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "facts/legacy/legacy_input.hpp"

namespace zav {
namespace {

struct Accepted {
  std::vector<std::string> documents;
};

struct Case {
  std::string input;
  std::variant<Accepted, std::string> outcome;  // documents, or the message
};

std::string nested(std::size_t depth) {
  return std::string(depth, '[') + std::string(depth, ']');
}

std::vector<Case> cases() {
  return {
      // Accepted forms.
      {"{\"documents\":[]}", Accepted{}},
      {"[[]]", Accepted{}},
      {"{\"documents\":[\"\"]}", Accepted{{""}}},
      {" \t\r\n{ \"documents\" : [ \"# a\" , \"\" ] } \n\t\r ", Accepted{{"# a", ""}}},
      {"[ [ \"# a\" ] ]", Accepted{{"# a"}}},
      {"{\"docu\\u006dents\":[\"# b\"]}", Accepted{{"# b"}}},
      {"{\"Documents\":5,\"documents\":[\"# c\"],\"DOCUMENTS\":{}}", Accepted{{"# c"}}},
      {"{\"a\":" + nested(10000) + ",\"documents\":[\"# d\"],\"b\":{\"c\":" + nested(10000) + "}}",
       Accepted{{"# d"}}},
      {"{\"a\":null,\"b\":true,\"c\":false,\"d\":-0.5e-3,\"e\":1E+2,\"f\":1e999,"
       "\"g\":\"\\ud800\\udc00x\\/\",\"h\":[{}, [], {\"i\":[1]}],\"documents\":[]}",
       Accepted{}},
      // A lone surrogate escape is only a form in a skipped string.
      {"{\"x\":\"\\ud800\",\"y\":\"\\udc00\",\"documents\":[]}", Accepted{}},
      {"{\"documents\":[\"\\u0000\"]}", Accepted{{std::string("\0", 1)}}},
      {"{\"documents\":[\"# \\\"\\\\\\/\\u00e9\\u00E9\\ud83d\\ude00\","
       "\"# a\\tb\\u0008c\\fd\\n# e\\r# f\\r\\n\"]}",
       Accepted{{"# \"\\/\u00e9\u00e9\U0001F600", "# a\tb\bc\fd\n# e\r# f\r\n"}}},
      {"{\"documents\":[\"# \u00e9\u4e2d\U0001F600\"]}", Accepted{{"# \u00e9\u4e2d\U0001F600"}}},
      // Whitespace and what may follow the value.
      {"", "EOF while parsing a value at line 1 column 0"},
      {" \n\t\r", "EOF while parsing a value at line 2 column 2"},
      {"\xEF\xBB\xBF"
       "{\"documents\":[]}",
       "expected value at line 1 column 1"},
      {"\014{\"documents\":[]}", "expected value at line 1 column 1"},
      {"{\"documents\":[\"a\"]} x", "trailing characters at line 1 column 21"},
      {"{\"documents\":[]}\n\nx", "trailing characters at line 3 column 1"},
      {"[[\"a\"],[\"b\"]]", "trailing characters at line 1 column 8"},
      {"[[],]", "trailing comma at line 1 column 5"},
      {"[[],", "trailing characters at line 1 column 4"},
      {"[[]]]", "trailing characters at line 1 column 5"},
      {"[[] x", "trailing characters at line 1 column 5"},
      // The object form.
      {"{}", "missing field `documents` at line 1 column 2"},
      {"{\"Documents\":1}", "missing field `documents` at line 1 column 15"},
      {"{\"x\":1}x", "missing field `documents` at line 1 column 7"},
      {"{\"documents\":[],\"documents\":[]}", "duplicate field `documents` at line 1 column 27"},
      {"{\"documents\":[],\"documents\"  }", "duplicate field `documents` at line 1 column 30"},
      {"{\"documents\":[],\"documents\":[}", "duplicate field `documents` at line 1 column 27"},
      {"{\"documents\":[],\"x\":1,\"documents\":5}",
       "duplicate field `documents` at line 1 column 33"},
      {"{\"documents\":[\"a\"],}", "trailing comma at line 1 column 20"},
      {"{\"documents\":[\"a\"] , }", "trailing comma at line 1 column 22"},
      {"{", "EOF while parsing an object at line 1 column 1"},
      {"{\"documents\"", "EOF while parsing an object at line 1 column 12"},
      {"{\"documents\":", "EOF while parsing a value at line 1 column 13"},
      {"{\"documents\":[\"a\"]", "EOF while parsing an object at line 1 column 18"},
      {"{\"documents\":[\"a\"],", "EOF while parsing a value at line 1 column 19"},
      {"{\"x\" 1}", "expected `:` at line 1 column 6"},
      {"{\"x\":1 2}", "expected `,` or `}` at line 1 column 8"},
      {"{1:2}", "key must be a string at line 1 column 2"},
      {"{,\"documents\":[]}", "key must be a string at line 1 column 2"},
      {"{\"documents\":[],,}", "key must be a string at line 1 column 17"},
      // The array form and the documents array.
      {"[]", "invalid length 0, expected struct Legacy with 1 element at line 1 column 2"},
      {"[ ]", "invalid length 0, expected struct Legacy with 1 element at line 1 column 3"},
      {"[", "EOF while parsing a list at line 1 column 1"},
      {"[x", "expected value at line 1 column 2"},
      {"{\"documents\":[", "EOF while parsing a list at line 1 column 14"},
      {"{\"documents\":[\"a\"", "EOF while parsing a list at line 1 column 17"},
      {"{\"documents\":[\"a\",", "EOF while parsing a value at line 1 column 18"},
      {"{\"documents\":[\"a\",]}", "trailing comma at line 1 column 19"},
      {"{\"documents\":[\"a\" \"b\"]}", "expected `,` or `]` at line 1 column 19"},
      {"{\"documents\":[,]}", "expected value at line 1 column 15"},
      // Type errors and how they name the value.
      {"null", "invalid type: null, expected struct Legacy at line 1 column 4"},
      {"true", "invalid type: boolean `true`, expected struct Legacy at line 1 column 4"},
      {"\"abc\"", "invalid type: string \"abc\", expected struct Legacy at line 1 column 5"},
      {"5", "invalid type: integer `5`, expected struct Legacy at line 1 column 1"},
      {"{\"documents\":[1]}", "invalid type: integer `1`, expected a string at line 1 column 15"},
      {"{\n\"documents\":   5\n}",
       "invalid type: integer `5`, expected a sequence at line 2 column 16"},
      {"[{}]", "invalid type: map, expected a sequence at line 1 column 1"},
      {"[null]", "invalid type: null, expected a sequence at line 1 column 5"},
      {"{\"documents\":{\"a\":1}}", "invalid type: map, expected a sequence at line 1 column 13"},
      {"{\"documents\":[[]]}", "invalid type: sequence, expected a string at line 1 column 14"},
      {"{\"documents\":false}",
       "invalid type: boolean `false`, expected a sequence at line 1 column 18"},
      {"{\"documents\":-0}",
       "invalid type: floating point `-0.0`, expected a sequence at line 1 column 15"},
      {"{\"documents\":0}", "invalid type: integer `0`, expected a sequence at line 1 column 14"},
      {"{\"documents\":1e5}",
       "invalid type: floating point `100000.0`, expected a sequence at line 1 column 16"},
      {"{\"documents\":1.0}",
       "invalid type: floating point `1.0`, expected a sequence at line 1 column 16"},
      {"{\"documents\":-1.25}",
       "invalid type: floating point `-1.25`, expected a sequence at line 1 column 18"},
      {"{\"documents\":1.5e-7}",
       "invalid type: floating point `1.5e-7`, expected a sequence at line 1 column 19"},
      {"{\"documents\":0.0001}",
       "invalid type: floating point `0.0001`, expected a sequence at line 1 column 19"},
      {"{\"documents\":1e16}",
       "invalid type: floating point `1e16`, expected a sequence at line 1 column 17"},
      {"{\"documents\":1e15}",
       "invalid type: floating point `1000000000000000.0`, expected a sequence at line 1 column "
       "17"},
      {"{\"documents\":1e300}",
       "invalid type: floating point `1e300`, expected a sequence at line 1 column 18"},
      {"{\"documents\":-1e-400}",
       "invalid type: floating point `-0.0`, expected a sequence at line 1 column 20"},
      {"{\"documents\":18446744073709551615}",
       "invalid type: integer `18446744073709551615`, expected a sequence at line 1 column 33"},
      {"{\"documents\":18446744073709551616}",
       "invalid type: floating point `1.8446744073709552e19`, expected a sequence at line 1 column "
       "33"},
      {"{\"documents\":-9223372036854775808}",
       "invalid type: integer `-9223372036854775808`, expected a sequence at line 1 column 33"},
      {"{\"documents\":-9223372036854775809}",
       "invalid type: floating point `-9.223372036854776e18`, expected a sequence at line 1 column "
       "33"},
      {"{\"documents\":9007199254740993.0}",
       "invalid type: floating point `9007199254740994.0`, expected a sequence at line 1 column "
       "31"},
      {"{\"documents\":0e99999999999}",
       "invalid type: floating point `0.0`, expected a sequence at line 1 column 26"},
      {"{\"documents\":1E400}", "number out of range at line 1 column 18"},
      {"{\"documents\":10e308}", "number out of range at line 1 column 19"},
      {"{\"documents\":1e99999999999}", "number out of range at line 1 column 25"},
      {"{\"documents\":\"a\\\"b\\\\c\\/\\nd\\te\\r\\b\\f\\u0000\\u0001\\u007f'\"}",
       "invalid type: string \"a\\\"b\\\\c/\\nd\\te\\r\\u{8}\\u{c}\\0\\u{1}\\u{7f}'\", expected a "
       "sequence at line 1 column 55"},
      {"{\"documents\":\"é\\u00a0\\u00ad\\u0301\\u200b\\u2028\\ue000\\uffff\\ud83d\\ude00\"}",
       "invalid type: string \"é\\u{a0}\\u{ad}\\u{301}\\u{200b}\\u{2028}\\u{e000}\\u{ffff}😀\", "
       "expected a sequence at line 1 column 71"},
      // Syntax inside a value that a type error names.
      {"nul", "EOF while parsing a value at line 1 column 3"},
      {"nulx", "expected ident at line 1 column 4"},
      {"-", "EOF while parsing a value at line 1 column 1"},
      {"{\"documents\":tru}", "expected ident at line 1 column 17"},
      {"{\"documents\":-}", "invalid number at line 1 column 15"},
      {"{\"documents\":01}", "invalid number at line 1 column 15"},
      {"{\"documents\":1.}", "invalid number at line 1 column 16"},
      {"{\"documents\":1.", "EOF while parsing a value at line 1 column 15"},
      {"{\"documents\":1e", "EOF while parsing a value at line 1 column 15"},
      {"{\"documents\":1e+}", "invalid number at line 1 column 17"},
      {"{\"documents\":\"a", "EOF while parsing a string at line 1 column 15"},
      // Strings that are kept: documents and keys.
      {"{\"documents\":[\"a\nb\"]}",
       "control character (\\u0000-\\u001F) found while parsing a string at line 2 column 0"},
      {"{\"a\001\":1}",
       "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 4"},
      {"{\"\\q\":1}", "invalid escape at line 1 column 4"},
      {"[\"\\", "EOF while parsing a string at line 1 column 3"},
      {"[\"\\u12", "EOF while parsing a string at line 1 column 6"},
      {"[\"\\u12\"]", "invalid escape at line 1 column 8"},
      {"[\"\\u0:06x\"]", "invalid escape at line 1 column 8"},
      {"{\"documents\":[\"\\ud800\"]}", "unexpected end of hex escape at line 1 column 22"},
      {"{\"documents\":[\"\\udc00\"]}", "lone leading surrogate in hex escape at line 1 column 21"},
      {"{\"documents\":[\"\\ud800\\n\"]}", "unexpected end of hex escape at line 1 column 23"},
      {"{\"documents\":[\"\\ud800\\u0041\"]}",
       "lone leading surrogate in hex escape at line 1 column 27"},
      {"{\"documents\":[\"\\ud800", "EOF while parsing a string at line 1 column 21"},
      {"{\"documents\":[\"\\ud800\\u", "EOF while parsing a string at line 1 column 23"},
      {"{\"\\ud800\":1}", "unexpected end of hex escape at line 1 column 9"},
      // Skipped values: only their form counts.
      {"{\"x\":\"a\001b\",\"documents\":[]}",
       "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 7"},
      {"{\"x\":\"a\nb\",\"documents\":[]}",
       "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 7"},
      {"{\"x\":\"\\u1x34\"}", "invalid escape at line 1 column 12"},
      {"{\"x\":\"\\u12", "EOF while parsing a string at line 1 column 10"},
      {"{\"x\":\"\\q\"}", "invalid escape at line 1 column 8"},
      {"{\"x\":[1,]}", "expected value at line 1 column 9"},
      {"{\"x\":{\"a\":1,}}", "key must be a string at line 1 column 13"},
      {"{\"x\":[}", "expected value at line 1 column 7"},
      {"{\"x\":{]}", "key must be a string at line 1 column 7"},
      {"{\"x\":{\"a\"}}", "expected `:` at line 1 column 10"},
      {"{\"x\":{\"a\":}}", "expected value at line 1 column 11"},
      {"{\"x\":[1 2]}", "expected `,` or `]` at line 1 column 9"},
      {"{\"x\":{\"a\":1 \"b\":2}}", "expected `,` or `}` at line 1 column 13"},
      {"{\"x\":[", "EOF while parsing a list at line 1 column 6"},
      {"{\"x\":[1,", "EOF while parsing a value at line 1 column 8"},
      {"{\"x\":{\"a\":1,", "EOF while parsing an object at line 1 column 12"},
      {"{\"x\":tru}", "expected ident at line 1 column 9"},
      {"{\"x\":nul", "EOF while parsing a value at line 1 column 8"},
      {"{\"x\":-", "invalid number at line 1 column 6"},
      {"{\"x\":-}", "invalid number at line 1 column 7"},
      {"{\"x\":01}", "invalid number at line 1 column 7"},
      {"{\"x\":1.", "invalid number at line 1 column 7"},
      {"{\"x\":1.e5}", "invalid number at line 1 column 8"},
      {"{\"x\":1e+-5}", "invalid number at line 1 column 9"},
      {"{\"x\":.5}", "expected value at line 1 column 6"},
      {"{\"x\":+1}", "expected value at line 1 column 6"},
      {"{\"x\":12a}", "expected `,` or `}` at line 1 column 8"},
      {"{\"x\":" + std::string(1000, '['), "EOF while parsing a list at line 1 column 1005"},
  };
}

std::vector<std::string> texts(const Legacy& legacy) {
  std::vector<std::string> decoded;
  for (const LegacyDocument& document : legacy.documents) decoded.push_back(document.text());
  return decoded;
}

// The decoded documents of the input read from a buffer of its exact size,
// so that a read past its end is caught by the address sanitizer.
std::expected<std::vector<std::string>, std::string> parse_exact(const std::string& input) {
  auto buffer = std::make_unique<char[]>(input.size());
  std::memcpy(buffer.get(), input.data(), input.size());
  auto legacy = parse_legacy(std::string_view(buffer.get(), input.size()));
  if (!legacy) return std::unexpected(legacy.error());
  return texts(*legacy);
}

TEST(ParseLegacy, MatchesTheTableOfCases) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.input.substr(0, 120));
    auto result = parse_exact(c.input);
    if (const auto* accepted = std::get_if<Accepted>(&c.outcome)) {
      ASSERT_TRUE(result.has_value()) << result.error();
      EXPECT_EQ(*result, accepted->documents);
    } else {
      ASSERT_FALSE(result.has_value());
      EXPECT_EQ(result.error(), std::get<std::string>(c.outcome));
    }
  }
}

TEST(ParseLegacy, SkipsMembersNestedAMillionDeep) {
  constexpr std::size_t kDepth = 1'000'000;
  std::string arrays = "{\"a\":" + nested(kDepth) + ",\"documents\":[\"x\"]}";
  auto result = parse_legacy(arrays);
  ASSERT_TRUE(result.has_value()) << result.error();
  EXPECT_EQ(texts(*result), std::vector<std::string>{"x"});

  std::string objects = "{\"documents\":[],\"a\":";
  for (std::size_t i = 0; i < kDepth; ++i) objects += "{\"k\":";
  objects += "0" + std::string(kDepth, '}') + "}";
  EXPECT_TRUE(parse_legacy(objects).has_value());

  std::string unclosed = "{\"a\":" + std::string(kDepth, '[');
  EXPECT_EQ(parse_legacy(unclosed).error(),
            "EOF while parsing a list at line 1 column " + std::to_string(kDepth + 5));
}

}  // namespace
}  // namespace zav
