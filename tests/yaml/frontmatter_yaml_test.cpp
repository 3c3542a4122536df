// The YAML text of a frontmatter block as a frontmatter map: values,
// receiver messages, syntax errors with their positions, the rules added to
// the parser's own, and what is mended where the parser misreads a text.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "yaml/canonical_json.hpp"
#include "yaml/frontmatter_yaml.hpp"

namespace zav {
namespace {

// The canonical JSON of the map, or the message.
std::string outcome(std::string_view yaml) {
  auto map = parse_frontmatter(yaml);
  if (!map) return map.error();
  std::string json;
  write_canonical_json(*map, json);
  return json;
}

// An expected outcome is the JSON or the message, or "SYNTAX" for a syntax
// error whose description is the parser's own, followed by its position
// when that is pinned down.
struct Case {
  std::string yaml;
  std::string expected;
};

constexpr std::string_view SYNTAX = "SYNTAX";
constexpr std::string_view PREFIX = "invalid YAML frontmatter: ";

void expect_outcomes(const std::vector<Case>& cases) {
  for (const auto& c : cases) {
    std::string got = outcome(c.yaml);
    if (!c.expected.starts_with(SYNTAX)) {
      EXPECT_EQ(got, c.expected) << "YAML: " << c.yaml;
      continue;
    }
    EXPECT_TRUE(got.starts_with(PREFIX)) << "YAML: " << c.yaml << "\ngot: " << got;
    EXPECT_NE(got.find(" at byte "), std::string::npos) << "YAML: " << c.yaml << "\ngot: " << got;
    std::string_view position = std::string_view(c.expected).substr(SYNTAX.size());
    EXPECT_TRUE(got.ends_with(position)) << "YAML: " << c.yaml << "\ngot: " << got;
  }
}

TEST(FrontmatterYaml, BuildsMapsOfTextAndNull) {
  expect_outcomes({
      {"", R"({})"},                                         // empty text
      {"# one\n# two", R"({})"},                             // comments only
      {"~", R"({})"},                                        // lone tilde
      {"null", R"({})"},                                     // lone null
      {"{}", R"({})"},                                       // empty flow mapping
      {"b: 1\na: 2\nA: 3", R"({"A":"3","a":"2","b":"1"})"},  // keys in byte order
      {"n: 1.50\nb: yes\nd: 2024-01-31\nf: false\ni: 0x1F",
       R"({"b":"yes","d":"2024-01-31","f":"false","i":"0x1F","n":"1.50"})"},  // scalars stay text
      {"a:\nb: 1", R"({"a":null,"b":"1"})"},                                  // key without value
      {"text: |\n  a\n  b\nnext: 1", R"({"next":"1","text":"a\nb\n"})"},  // literal block scalar
      {"'': 1", R"({"":"1"})"},                                           // quoted empty key
      {"base: &b {x: 1, y: 2}\nm:\n  <<: *b\n  x: 3",
       R"({"base":{"x":"1","y":"2"},"m":{"x":"3","y":"2"}})"},  // merge then override
      {"base: &b {x: 1, y: 2}\nm:\n  x: 3\n  <<: *b",
       R"({"base":{"x":"1","y":"2"},"m":{"x":"3","y":"2"}})"},  // override then merge
      {"m:\n  <<: [{a: 1}, {a: 2, b: 2}]",
       R"({"m":{"a":"1","b":"2"}})"},                  // earlier merged map wins
      {"m:\n  <<: []\n  k: v", R"({"m":{"k":"v"}})"},  // empty merge list
      {"m:\n  '<<': {a: 1}\n  \"<<\": {b: 2}", R"({"m":{"a":"1","b":"2"}})"},  // quoted merge key
      {"m:\n  <<: {a: 1}\n  <<: {a: 2, b: 2}", R"({"m":{"a":"1","b":"2"}})"},  // two merges
      {"a: &l [1, 2]\nb: *l", R"({"a":["1","2"],"b":["1","2"]})"},  // alias copies a list
      {"a: &x 1\nb: *x\nc: &x 2\nd: *x",
       R"({"a":"1","b":"1","c":"2","d":"2"})"},             // anchor defined again
      {"a: 1\n...", R"({"a":"1"})"},                        // document end only
      {"a: !!null text", R"({"a":null})"},                  // null tag
      {"a: !!null 'x'", R"({"a":null})"},                   // null tag on quoted
      {"a: !!str ~", R"({"a":null})"},                      // string tag on plain null
      {"a: !!int 1", R"({"a":"1"})"},                       // int tag
      {"s: !!set {x, y}", R"({"s":{"x":null,"y":null}})"},  // set tag
      {"a: !<tag:yaml.org,2002:null> x", R"({"a":"x"})"},   // verbatim null tag
      {"%TAG !e! tag:yaml.org,2002:\n---\na: !e!null x",
       R"({"a":null})"},  // null tag through directive
      {"%TAG !! tag:example.com,2000:\n---\na: !!null x",
       R"({"a":"x"})"},                    // secondary handle bound elsewhere
      {"a: !!nu%6Cl x", R"({"a":null})"},  // percent-encoded null tag
      {"a: Null\nb: NULL\nc: nULL\nd: None\ne: \"null\"",
       R"({"a":null,"b":null,"c":"nULL","d":"None","e":"null"})"},  // null capitalisations
      {"a: 1\r\nb: |\r\n  x\r\n  y\r\nc: 2", R"({"a":"1","b":"x\ny\n","c":"2"})"},  // crlf mapping
      {"\xF0\x9F\x98\x80"
       ": 1\n\xEE\x80\x80"
       ": 2\nz: 3",
       "{\"z\":\"3\",\"\xF0\x9F\x98\x80"
       "\":\"1\",\"\xEE\x80\x80"
       "\":\"2\"}"},  // unicode keys order
      {"a: \"\\x41\\u00e9\\t\\n\\\\\\\"\\0\\/\"",
       "{\"a\":\"A\xC3\xA9"
       "\\t\\n\\\\\\\"\\u0000/\"}"},                                     // escapes
      {"a: 'it''s'", R"({"a":"it's"})"},                                 // single quote escape
      {"a: >\n  one\n  two\n\n  three", R"({"a":"one two\nthree\n"})"},  // folded scalar
      {"a: {b: [c, {d: e}], f: ~}", R"({"a":{"b":["c",{"d":"e"}],"f":null}})"},  // nested flow
      {"a: one\n  two\n  three", R"({"a":"one two three"})"},                    // multi-line plain
      {"? a\n: b", R"({"a":"b"})"},                                              // explicit key
      {"base: &b\n  x: {deep: 1}\nm:\n  <<: *b\n  y: 2",
       R"({"base":{"x":{"deep":"1"}},"m":{"x":{"deep":"1"},"y":"2"}})"},  // anchored merge with
                                                                          // nested map
      {"a:\n- x\n- y", R"({"a":["x","y"]})"},  // indentless sequence value
      {"a:\t b", R"({"a":"b"})"},              // tab then space after colon
      {"a:\t'x'", R"({"a":"x"})"},             // tab after colon before quote
      {"a: \"\\U0001F600\"",
       "{\"a\":\"\xF0\x9F\x98\x80"
       "\"}"},                                  // astral escape
      {"a: ! x", R"({"a":"x"})"},               // non-specific tag
      {"a: !<> x", R"({"a":"x"})"},             // empty verbatim tag
      {"%FOO bar\n---\na: 1", R"({"a":"1"})"},  // unknown directive then document
  });
}

TEST(FrontmatterYaml, ReportsWhatTheMapCannotHold) {
  expect_outcomes({
      {"'null'", R"(frontmatter must be a YAML mapping)"},     // quoted null root
      {"[a, b]", R"(frontmatter must be a YAML mapping)"},     // flow list root
      {"just text", R"(frontmatter must be a YAML mapping)"},  // plain text root
      {"a: 1\na: 2",
       R"(invalid YAML frontmatter: duplicated key in mapping: a)"},              // duplicated key
      {"~: 1", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},  // tilde key
      {"null: 1", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},    // null key
      {": 1", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},        // empty key
      {"[a]: 1", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},     // list key
      {"{a: 1}: 2", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},  // map key
      {"m:\n  <<: [{a: 1}, text]",
       R"(invalid YAML frontmatter: YAML merge sequence items must be mappings)"},  // merge list
                                                                                    // with text
      {"m:\n  <<: text",
       R"(invalid YAML frontmatter: YAML merge value must be a mapping)"},  // merge text
      {"m:\n  <<:\n  k: v",
       R"(invalid YAML frontmatter: YAML merge value must be a mapping)"},  // merge without value
      {"a: &m {b: *m}",
       R"(invalid YAML frontmatter: frontmatter contains a cyclic YAML anchor)"},  // alias inside
                                                                                   // its own anchor
      {"a: &l [1, *l]",
       R"(invalid YAML frontmatter: frontmatter contains a cyclic YAML anchor)"},  // alias inside
                                                                                   // anchored list
      {"a: 1\n...\nb: 2",
       R"(invalid YAML frontmatter: multiple documents are not supported)"},  // document end then
                                                                              // mapping
      {"a: 1\n--- b",
       R"(invalid YAML frontmatter: multiple documents are not supported)"},  // document start with
                                                                              // content
      {"a: 1\n---",
       R"(invalid YAML frontmatter: multiple documents are not supported)"},  // second document
                                                                              // empty
  });
}

TEST(FrontmatterYaml, ReportsSyntaxErrorsWithCharacterPositions) {
  expect_outcomes({
      {"a: 1\na: 2\nb: [1, 2",
       R"(SYNTAX at byte 18 line 4 column 1)"},  // syntax error wins over duplicate
      {"a: 1\n---\nb: [1", R"(SYNTAX at byte 14 line 4 column 1)"},  // second document syntax error
      {"a: *x",
       R"(invalid YAML frontmatter: while parsing node, found unknown anchor at byte 3 line 1 column 4)"},  // unknown anchor
      {"a: &x 1\n---\nb: *x",
       R"(invalid YAML frontmatter: while parsing node, found unknown anchor at byte 15 line 3 column 4)"},  // anchor from earlier document
      {"\xC3\xA9"
       ": [\n",
       R"(SYNTAX at byte 5 line 2 column 1)"},           // error after multibyte
      {"a: [1", R"(SYNTAX at byte 5 line 2 column 1)"},  // error at end without line end
      {"a: 1\r\nb: [\r\n", R"(SYNTAX at byte 12 line 3 column 1)"},  // error with crlf
      {"a: 1\rb: [\r", R"(SYNTAX at byte 10 line 3 column 1)"},      // error with lone cr
      {"a:\tb",
       R"(invalid YAML frontmatter: ':' must be followed by a valid YAML whitespace at byte 3 line 1 column 4)"},  // tab after colon
      {"{a:\tb}",
       R"(invalid YAML frontmatter: ':' must be followed by a valid YAML whitespace at byte 4 line 1 column 5)"},  // tab after colon in flow
      {"a: \"\\ud83d\\ude00\"",
       R"(invalid YAML frontmatter: while parsing a quoted scalar, found invalid Unicode character escape code at byte 3 line 1 column 4)"},  // surrogate pair escape
      {"a: \"\\ud800\"", R"(SYNTAX at byte 3 line 1 column 4)"},      // lone surrogate escape
      {"a: \"\\U00110000\"", R"(SYNTAX at byte 3 line 1 column 4)"},  // escape above U+10FFFF
      {"a: !! x",
       R"(invalid YAML frontmatter: while parsing a tag, did not find expected tag URI at byte 3 line 1 column 4)"},  // empty secondary tag
      {"a: !!str! x",
       R"(invalid YAML frontmatter: while scanning a tag, did not find expected whitespace or line break at byte 3 line 1 column 4)"},  // bang in tag suffix
      {"a: !e!x y", R"(SYNTAX at byte 3 line 1 column 4)"},  // undeclared named handle
      {"%YAML 1.2\na: 1",
       R"(invalid YAML frontmatter: did not find expected <document start> at byte 10 line 2 column 1)"},  // directive without document start
      {"%FOO bar\na: 1",
       R"(invalid YAML frontmatter: did not find expected <document start> at byte 9 line 2 column 1)"},  // unknown directive without document start
      {"a: 1\n%FOO bar",
       R"(invalid YAML frontmatter: missing explicit document end marker before directive at byte 5 line 2 column 1)"},  // directive inside document
      {"%x: 1",
       R"(invalid YAML frontmatter: while scanning a directive, found unexpected non-alphabetical character at byte 1 line 1 column 2)"},  // bad directive name
      {"a:\nx", R"(SYNTAX)"},  // value not indented
      {"-\nx", R"(SYNTAX)"},   // entry not indented
  });
}

// The parser misreads empty block scalars nested in collections, empty
// entries of sequences that are not indented, and folded scalars with a
// more indented line after an empty one; the text is read again with the
// node spelled so that it reads it right.
TEST(FrontmatterYaml, MendsWhatTheParserMisreads) {
  expect_outcomes({
      {"a:\n  b: |\n  c: x", R"({"a":{"b":"","c":"x"}})"},  // empty block scalar before sibling
      {"a:\n  - |\n  - x", R"({"a":["","x"]})"},            // empty block scalar in sequence
      {"a:\n  b: |+\n\n  c: x",
       R"({"a":{"b":"\n","c":"x"}})"},  // empty keep block scalar before sibling
      {"a:\n  b: |  # c\n  c: x", R"({"a":{"b":"","c":"x"}})"},  // empty block scalar with comment
      {"d: |", R"({"d":""})"},                                   // empty block scalar at end
      {"x:\n  - >\n", R"({"x":[""]})"},                          // empty: clip keeps no line feed
      {"b: |+\n  note", R"({"b":"note\n"})"},                    // keep block scalar at end
      {"b: |\n  note", R"({"b":"note\n"})"},                     // clip block scalar at end
      {"a:\n-\n- x", R"({"a":[null,"x"]})"},                     // empty indentless entry
      {"a:\n- x\n-", R"({"a":["x",null]})"},                     // empty indentless entry at end
      {"a:\n- # c\n- x", R"({"a":[null,"x"]})"},          // empty indentless entry with comment
      {"a:\n-\nb: 1", R"({"a":[null],"b":"1"})"},         // empty indentless entry before key
      {"b: >\n  y\n\n   a b", R"({"b":"y\n\n a b\n"})"},  // folded more-indented after empty line
  });
}

}  // namespace
}  // namespace zav
