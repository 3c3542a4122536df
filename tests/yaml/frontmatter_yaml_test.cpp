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
      // empty text
      {"", R"({})"},
      // comments only
      {"# one\n# two", R"({})"},
      // lone tilde
      {"~", R"({})"},
      // lone null
      {"null", R"({})"},
      // empty flow mapping
      {"{}", R"({})"},
      // keys in byte order
      {"b: 1\na: 2\nA: 3", R"({"A":"3","a":"2","b":"1"})"},
      // scalars stay text
      {"n: 1.50\nb: yes\nd: 2024-01-31\nf: false\ni: 0x1F",
       R"({"b":"yes","d":"2024-01-31","f":"false","i":"0x1F","n":"1.50"})"},
      // key without value
      {"a:\nb: 1", R"({"a":null,"b":"1"})"},
      // literal block scalar
      {"text: |\n  a\n  b\nnext: 1", R"({"next":"1","text":"a\nb\n"})"},
      // quoted empty key
      {"'': 1", R"({"":"1"})"},
      // merge then override
      {"base: &b {x: 1, y: 2}\nm:\n  <<: *b\n  x: 3",
       R"({"base":{"x":"1","y":"2"},"m":{"x":"3","y":"2"}})"},
      // override then merge
      {"base: &b {x: 1, y: 2}\nm:\n  x: 3\n  <<: *b",
       R"({"base":{"x":"1","y":"2"},"m":{"x":"3","y":"2"}})"},
      // earlier merged map wins
      {"m:\n  <<: [{a: 1}, {a: 2, b: 2}]", R"({"m":{"a":"1","b":"2"}})"},
      // empty merge list
      {"m:\n  <<: []\n  k: v", R"({"m":{"k":"v"}})"},
      // quoted merge key
      {"m:\n  '<<': {a: 1}\n  \"<<\": {b: 2}", R"({"m":{"a":"1","b":"2"}})"},
      // two merges
      {"m:\n  <<: {a: 1}\n  <<: {a: 2, b: 2}", R"({"m":{"a":"1","b":"2"}})"},
      // alias copies a list
      {"a: &l [1, 2]\nb: *l", R"({"a":["1","2"],"b":["1","2"]})"},
      // anchor defined again
      {"a: &x 1\nb: *x\nc: &x 2\nd: *x", R"({"a":"1","b":"1","c":"2","d":"2"})"},
      // document end only
      {"a: 1\n...", R"({"a":"1"})"},
      // null tag
      {"a: !!null text", R"({"a":null})"},
      // null tag on quoted
      {"a: !!null 'x'", R"({"a":null})"},
      // string tag on plain null
      {"a: !!str ~", R"({"a":null})"},
      // int tag
      {"a: !!int 1", R"({"a":"1"})"},
      // set tag
      {"s: !!set {x, y}", R"({"s":{"x":null,"y":null}})"},
      // verbatim null tag
      {"a: !<tag:yaml.org,2002:null> x", R"({"a":"x"})"},
      // null tag through directive
      {"%TAG !e! tag:yaml.org,2002:\n---\na: !e!null x", R"({"a":null})"},
      // secondary handle bound elsewhere
      {"%TAG !! tag:example.com,2000:\n---\na: !!null x", R"({"a":"x"})"},
      // percent-encoded null tag
      {"a: !!nu%6Cl x", R"({"a":null})"},
      // null capitalisations
      {"a: Null\nb: NULL\nc: nULL\nd: None\ne: \"null\"",
       R"({"a":null,"b":null,"c":"nULL","d":"None","e":"null"})"},
      // crlf mapping
      {"a: 1\r\nb: |\r\n  x\r\n  y\r\nc: 2", R"({"a":"1","b":"x\ny\n","c":"2"})"},
      // unicode keys order
      {"\xF0\x9F\x98\x80"
       ": 1\n\xEE\x80\x80"
       ": 2\nz: 3",
       "{\"z\":\"3\",\"\xF0\x9F\x98\x80"
       "\":\"1\",\"\xEE\x80\x80"
       "\":\"2\"}"},
      // escapes
      {"a: \"\\x41\\u00e9\\t\\n\\\\\\\"\\0\\/\"",
       "{\"a\":\"A\xC3\xA9"
       "\\t\\n\\\\\\\"\\u0000/\"}"},
      // single quote escape
      {"a: 'it''s'", R"({"a":"it's"})"},
      // folded scalar
      {"a: >\n  one\n  two\n\n  three", R"({"a":"one two\nthree\n"})"},
      // nested flow
      {"a: {b: [c, {d: e}], f: ~}", R"({"a":{"b":["c",{"d":"e"}],"f":null}})"},
      // multi-line plain
      {"a: one\n  two\n  three", R"({"a":"one two three"})"},
      // explicit key
      {"? a\n: b", R"({"a":"b"})"},
      // anchored merge with nested map
      {"base: &b\n  x: {deep: 1}\nm:\n  <<: *b\n  y: 2",
       R"({"base":{"x":{"deep":"1"}},"m":{"x":{"deep":"1"},"y":"2"}})"},
      // indentless sequence value
      {"a:\n- x\n- y", R"({"a":["x","y"]})"},
      // tab then space after colon
      {"a:\t b", R"({"a":"b"})"},
      // tab after colon before quote
      {"a:\t'x'", R"({"a":"x"})"},
      // astral escape
      {"a: \"\\U0001F600\"",
       "{\"a\":\"\xF0\x9F\x98\x80"
       "\"}"},
      // non-specific tag
      {"a: ! x", R"({"a":"x"})"},
      // empty verbatim tag
      {"a: !<> x", R"({"a":"x"})"},
      // unknown directive then document
      {"%FOO bar\n---\na: 1", R"({"a":"1"})"},
      // a named handle of letters, digits and "-"
      {"%TAG !e-1! tag:yaml.org,2002:\n---\na: !e-1!null x", R"({"a":null})"},
  });
}

TEST(FrontmatterYaml, ReportsWhatTheMapCannotHold) {
  expect_outcomes({
      // quoted null root
      {"'null'", R"(frontmatter must be a YAML mapping)"},
      // flow list root
      {"[a, b]", R"(frontmatter must be a YAML mapping)"},
      // plain text root
      {"just text", R"(frontmatter must be a YAML mapping)"},
      // duplicated key
      {"a: 1\na: 2", R"(invalid YAML frontmatter: duplicated key in mapping: a)"},
      // tilde key
      {"~: 1", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},
      // null key
      {"null: 1", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},
      // empty key
      {": 1", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},
      // list key
      {"[a]: 1", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},
      // map key
      {"{a: 1}: 2", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},
      // merge list with text
      {"m:\n  <<: [{a: 1}, text]",
       R"(invalid YAML frontmatter: YAML merge sequence items must be mappings)"},
      // merge text
      {"m:\n  <<: text", R"(invalid YAML frontmatter: YAML merge value must be a mapping)"},
      // merge without value
      {"m:\n  <<:\n  k: v", R"(invalid YAML frontmatter: YAML merge value must be a mapping)"},
      // alias inside its own anchor
      {"a: &m {b: *m}", R"(invalid YAML frontmatter: frontmatter contains a cyclic YAML anchor)"},
      // alias inside anchored list
      {"a: &l [1, *l]", R"(invalid YAML frontmatter: frontmatter contains a cyclic YAML anchor)"},
      // document end then mapping
      {"a: 1\n...\nb: 2", R"(invalid YAML frontmatter: multiple documents are not supported)"},
      // document start with content
      {"a: 1\n--- b", R"(invalid YAML frontmatter: multiple documents are not supported)"},
      // second document empty
      {"a: 1\n---", R"(invalid YAML frontmatter: multiple documents are not supported)"},
  });
}

TEST(FrontmatterYaml, ReportsSyntaxErrorsWithCharacterPositions) {
  expect_outcomes({
      // a tab before a block indicator in an explicit key, which the parser
      // cannot get over, is rejected before it is parsed
      {"? x:\t|",
       "invalid YAML frontmatter: cannot use tab for indentation of block entry"
       " at byte 4 line 1 column 5"},
      {"a:\n  ? [x]: \t- b",
       "invalid YAML frontmatter: cannot use tab for indentation of block entry at byte 12 line 2 "
       "column 10"},
      {std::string("? _:\t\0", 6),
       "invalid YAML frontmatter: cannot use tab for indentation of block entry"
       " at byte 4 line 1 column 5"},
      {"? _:\t:x",
       "invalid YAML frontmatter: cannot use tab for indentation of block entry"
       " at byte 4 line 1 column 5"},
      // also on a later line, in or after the key
      {"?\r A:\t|",
       "invalid YAML frontmatter: cannot use tab for indentation of block entry"
       " at byte 5 line 2 column 4"},
      {"- ?\n-  'A':\t:a",
       "invalid YAML frontmatter: cannot use tab for indentation of block entry"
       " at byte 11 line 2 column 8"},
      // in a key's node, which a sequence entry at the "?" may continue
      {"- ?\n-  A:\t|",
       "invalid YAML frontmatter: cannot use tab for indentation of block entry"
       " at byte 9 line 2 column 6"},
      {"?\n- a:\t>-\n   x",
       "invalid YAML frontmatter: cannot use tab for indentation of block entry"
       " at byte 6 line 2 column 5"},
      // syntax error wins over duplicate
      {"a: 1\na: 2\nb: [1, 2", R"(SYNTAX at byte 18 line 4 column 1)"},
      // second document syntax error
      {"a: 1\n---\nb: [1", R"(SYNTAX at byte 14 line 4 column 1)"},
      // unknown anchor
      {"a: *x",
       R"(invalid YAML frontmatter: while parsing node, found unknown anchor at byte 3 line 1 column 4)"},
      // anchor from earlier document
      {"a: &x 1\n---\nb: *x",
       R"(invalid YAML frontmatter: while parsing node, found unknown anchor at byte 15 line 3 column 4)"},
      // error after multibyte
      {"\xC3\xA9"
       ": [\n",
       R"(SYNTAX at byte 5 line 2 column 1)"},
      // error at end without line end
      {"a: [1", R"(SYNTAX at byte 5 line 2 column 1)"},
      // error with crlf
      {"a: 1\r\nb: [\r\n", R"(SYNTAX at byte 12 line 3 column 1)"},
      // error with lone cr
      {"a: 1\rb: [\r", R"(SYNTAX at byte 10 line 3 column 1)"},
      // a tab before the first key indents it
      {"\ta: b", R"(SYNTAX at byte 0 line 1 column 1)"},
      // surrogate pair escape
      {"a: \"\\ud83d\\ude00\"",
       R"(invalid YAML frontmatter: while parsing a quoted scalar, found invalid Unicode character escape code at byte 3 line 1 column 4)"},
      // lone surrogate escape
      {"a: \"\\ud800\"", R"(SYNTAX at byte 3 line 1 column 4)"},
      // escape above U+10FFFF
      {"a: \"\\U00110000\"", R"(SYNTAX at byte 3 line 1 column 4)"},
      // empty secondary tag
      {"a: !! x",
       R"(invalid YAML frontmatter: while parsing a tag, did not find expected tag URI at byte 3 line 1 column 4)"},
      // bang in tag suffix
      {"a: !!str! x",
       R"(invalid YAML frontmatter: while scanning a tag, did not find expected whitespace or line break at byte 3 line 1 column 4)"},
      // undeclared named handle
      {"a: !e!x y", R"(SYNTAX at byte 3 line 1 column 4)"},
      // also one that begins with "-" or a digit
      {"a: !-u!x y", R"(SYNTAX at byte 3 line 1 column 4)"},
      {"a: [!1!x y]", R"(SYNTAX at byte 4 line 1 column 5)"},
      // directive without document start
      {"%YAML 1.2\na: 1",
       R"(invalid YAML frontmatter: did not find expected <document start> at byte 10 line 2 column 1)"},
      // unknown directive without document start
      {"%FOO bar\na: 1",
       R"(invalid YAML frontmatter: did not find expected <document start> at byte 9 line 2 column 1)"},
      // unknown directive and no document
      {"%FOO bar\n",
       R"(invalid YAML frontmatter: stream with directives without content at byte 9 line 2 column 1)"},
      {"a: 1\n...\n%FOO bar",
       R"(invalid YAML frontmatter: stream with directives without content at byte 17 line 4 column 1)"},
      // tag handles are "!", "!!" or a word between two "!"
      {"%TAG !e tag:x,2000:\n---\na: 1",
       R"(invalid YAML frontmatter: while parsing a tag directive, did not find expected '!' at byte 0 line 1 column 1)"},
      {"a: 1\n...\n%TAG !a_b! tag:x,2000:\n---\nb: 1", R"(SYNTAX at byte 9 line 3 column 1)"},
      // and prefixes are local or begin with a character a tag may hold
      {"%TAG ! ,tag:yaml.org,2002:\n---\na: 1", R"(SYNTAX at byte 0 line 1 column 1)"},
      // directive inside document
      {"a: 1\n%FOO bar",
       R"(invalid YAML frontmatter: missing explicit document end marker before directive at byte 5 line 2 column 1)"},
      // bad directive name
      {"%x: 1",
       R"(invalid YAML frontmatter: while scanning a directive, found unexpected non-alphabetical character at byte 1 line 1 column 2)"},
      // value not indented
      {"a:\nx", R"(SYNTAX)"},
      // entry not indented
      {"-\nx", R"(SYNTAX)"},
  });
}

TEST(FrontmatterYaml, IndentationIndicatorKeepsSpacesOfLinesWithOnlySpaces) {
  // With an indentation indicator, spaces past the content's indentation
  // are content, also on lines that hold nothing else.
  expect_outcomes({
      {"a: |1\n  ", R"({"a":" \n"})"},
      {"a: |1\n  \nb: c", R"({"a":" \n","b":"c"})"},
      {"a: >2\n    \nb: c", R"({"a":"  \n","b":"c"})"},
      {"a: |1-\n  ", R"({"a":" "})"},
      {"a: |+1\n  ", R"({"a":" \n"})"},
      // indented past the innermost collection, not past the header
      {"x:\n  a: |1\n    \n  b: c", R"({"x":{"a":" \n","b":"c"}})"},
      {"a:\n- |1\n  ", R"({"a":[" \n"]})"},
      {"k:\n  - a: |1\n      ", R"({"k":[{"a":" \n"}]})"},
      // empty lines before, between and after; each chomping
      {"a: |1\n\n  \n \n", R"({"a":"\n \n"})"},
      {"a: |1-\n  \n  \n", R"({"a":" \n "})"},
      {"a: |1+\n  \n\n \nb: c", R"({"a":" \n\n\n","b":"c"})"},
      {"a: >1\n  \n\n  \nb: c", R"({"a":" \n\n \n","b":"c"})"},
      // lines no longer than the indentation are empty lines
      {"a: |2\n  \n b: c", "SYNTAX"},
      {"a: |2\n  \nb: c", R"({"a":"","b":"c"})"},
      {"a: |2+\n  \n\nb: c", R"({"a":"\n\n","b":"c"})"},
      // CR LF breaks
      {"a: |1\r\n  \r\n\r\nb: c", R"({"a":" \n","b":"c"})"},
  });
}

TEST(FrontmatterYaml, BlockScalarsKeepEveryCharacterOfTheirLines) {
  // The last characters of a line, lines that begin with a tab after the
  // indentation, and lines of spaces past it.
  expect_outcomes({
      {"a:\n  >-\n  w  \n   a:b\n# tail", R"({"a":"w  \n a:b"})"},
      {"a:\n  >-\n\n  y z\n   # no", R"({"a":"\ny z\n # no"})"},
      {"a:\n  |-\r\n\r\n  x\r\n\r\n   - q", R"({"a":"\nx\n\n - q"})"},
      {"a:\n  >-\r\n\r\n  x\r\n\r\n   x\r\n   w  ", R"({"a":"\nx\n\n x\n w  "})"},
      {"a:\n  |+\n  a:b\n   \n# tail", R"({"a":"a:b\n \n"})"},
      {"a: |- # c\n\n    \t", R"({"a":"\n\t"})"},
      {"a:\n- |2\n  \n    \t", R"({"a":["\n  \t\n"]})"},
      {"x:\n  a: | # c\r  \r\r   \t\rb: c", R"({"b":"c","x":{"a":"\n\n\t\n"}})"},
      {"a: >\n  x\n\n  y\n   z\n  \tw\nb: c", R"({"a":"x\ny\n z\n\tw\n","b":"c"})"},
  });
}

TEST(FrontmatterYaml, EachTextIsReadAsIfAlone) {
  // One parser serves every text of a thread: nothing of a text may reach
  // the next one, whether the text was read cleanly or not.
  struct Pair {
    std::string first;
    std::string second;
    std::string expected;  // the outcome of the second text
  };
  std::vector<Pair> pairs = {
      {"%TAG !e! tag:yaml.org,2002:\n---\na: !e!null x", "a: !e!null x", "SYNTAX at byte 3 line 1 column 4"},
      {"%YAML 1.2\n---\na: 1", "a: 1", R"({"a":"1"})"},
      {"a: &x 1", "b: *x", "SYNTAX at byte 3 line 1 column 4"},
      {"a: [1, {b: 2", "c: 3", R"({"c":"3"})"},
      {"a: 1\n...\n", "b: 2", R"({"b":"2"})"},
      {"a:\n  b:\n    c: |\n      x", "d: 4", R"({"d":"4"})"},
      {"- a\n- b", "c: d", R"({"c":"d"})"},
      {"\"a\": 'b", "c: d", R"({"c":"d"})"},
      {"a: 1\n---\nb: 2", "c: 3", R"({"c":"3"})"},
      {"? x:\t|", "a: b", R"({"a":"b"})"},
      {"%FOO bar\n---\na: 1", "b: 2", R"({"b":"2"})"},
      // a stream that began a document with "---" before
      {"---\n+.inf", "%TAG !e! tag:example.com,2000:",
       R"(invalid YAML frontmatter: stream with directives without content at byte 30 line 2 column 1)"},
      {"--- x", "%YAML 1.2", "SYNTAX at byte 9 line 2 column 1"},
  };
  for (const Pair& pair : pairs) {
    outcome(pair.first);
    expect_outcomes({{pair.second, pair.expected}});
  }
}

TEST(FrontmatterYaml, TextsWithoutDocumentMarkersLeaveNoTraceOfEarlierOnes) {
  // What a text with document markers or directives leaves in the parser
  // must not reach past the plain texts read after it.
  const std::vector<std::string> marked = {"---\n+.inf", "--- x", "a: 1\n...\n", "%YAML 1.2\n---\na: 1",
                                           "a: 1\n---\nb: 2", "%FOO bar\n---\na: 1"};
  for (const std::string& first : marked) {
    outcome(first);
    outcome("a: b");
    outcome("- c\n- d");
    expect_outcomes({
        {"%TAG !e! tag:example.com,2000:",
         "invalid YAML frontmatter: stream with directives without content at byte 30 line 2 "
         "column 1"},
        {"%YAML 1.2", "SYNTAX at byte 9 line 2 column 1"},
        {"a: !e!x b", "SYNTAX at byte 3 line 1 column 4"},
    });
  }
}

TEST(FrontmatterYaml, KeptBlockScalarEndsWithTheTextsLastLineBreak) {
  // The text of a block ends without its last line end: a last line of
  // spaces there is no empty line, a last line of content still ends in a
  // line feed.
  expect_outcomes({
      {"a: |+\n  x\n\n ", R"({"a":"x\n\n"})"},
      {"a: >+2\n\n \n ", R"({"a":"\n\n"})"},
      {"a: |+\n   \n\n ", R"({"a":"\n\n"})"},
      {"a: |+\n  x\n\n \n", R"({"a":"x\n\n\n"})"},
      {"a: |+\n  x", R"({"a":"x\n"})"},
      {"a: |\n  x\n\n ", R"({"a":"x\n"})"},
  });
}

TEST(FrontmatterYaml, TabSeparatesColonFromPlainValue) {
  expect_outcomes({
      {"a:\t~", R"({"a":null})"},
      {"a:\t.", R"({"a":"."})"},
      {"a:\t\xC3\xA9", "{\"a\":\"\xC3\xA9\"}"},
      {"{a:\t~}", R"({"a":null})"},
      {"a:\tb", R"({"a":"b"})"},
      {"{a:\tb}", R"({"a":"b"})"},
      {"a:\t-1\nb:\t_x\nc:\t7", R"({"a":"-1","b":"_x","c":"7"})"},
      {"a:\t\tb c", R"({"a":"b c"})"},
      {"[a:\tb]", "frontmatter must be a YAML mapping"},
      {"? a\n:\tb", R"({"a":"b"})"},
      {"a:\t# note\nb:\tc", R"({"a":null,"b":"c"})"},
      // before a block scalar too, also beside explicit keys
      {"a:\t|\n  x", R"({"a":"x\n"})"},
      {"? b\n: c\na:\t|\n  x", R"({"a":"x\n","b":"c"})"},
      {"? b\n: c\na:\t |1\n  x", R"({"a":" x\n","b":"c"})"},
      {"- ? b\n  : c\n- a:\t>-\n   x", "frontmatter must be a YAML mapping"},
      {"? x\n:\n  a:\t|\n   y", R"({"x":{"a":"y\n"}})"},
      {"b:\n? x\n:\n  \"a\":\t >-\n    c", R"({"b":null,"x":{"a":"c"}})"},
  });
}

TEST(FrontmatterYaml, TabSeparatesIndicatorFromNodeOnItsLine) {
  // After "-", "?" or an explicit ":", a tab separates the indicator from a
  // block scalar or a plain scalar that begins with an indicator; it
  // cannot indent a compact collection.
  expect_outcomes({
      {"a:\n-\t|\n x", R"({"a":["x\n"]})"},
      {"a:\n  -\t>-\n   x\nb: 1", R"({"a":["x"],"b":"1"})"},
      {"a:\n- \t |1\n  x\n-\t\t|\n x", R"({"a":[" x\n","x\n"]})"},
      {"a:\n-\t|", R"({"a":[""]})"},
      {"? a\n:\t|\n x", R"({"a":"x\n"})"},
      {"?\t|\n x\n: v", R"({"x\n":"v"})"},
      {"a:\n-\t:x\n-\t-y\n-\t?z", R"({"a":[":x","-y","?z"]})"},
      {"? a\n:\t:x", R"({"a":":x"})"},
      {"a:\n-\t\"x\"\n-\t[y]\n-\t{z: 1}\n-\t'w'", R"({"a":["x",["y"],{"z":"1"},"w"]})"},
      {":\t\"x\"", "invalid YAML frontmatter: frontmatter keys must be strings"},
      {"a:\n  :\t|\n   x", "invalid YAML frontmatter: frontmatter keys must be strings"},
      {":\t? x", "SYNTAX at byte 2 line 1 column 3"},
      // and the next key's ":" is no indicator indented with tabs
      {"a:\n  ? b\n  : \tc\nd: e", R"({"a":{"b":"c"},"d":"e"})"},
      {"? b\n:\tc\nd: e\n? f\n:\t\tg\nh: i", R"({"b":"c","d":"e","f":"g","h":"i"})"},
      {"a:\n-\t- b", "SYNTAX at byte 4 line 2 column 2"},
      {"a:\n-\t: b", "SYNTAX at byte 4 line 2 column 2"},
  });
}

TEST(FrontmatterYaml, ReadsDocumentsOfOtherVersionsAsVersion12) {
  // NEL, LS and PS are content in every document; a later major version
  // is refused at its directive.
  expect_outcomes({
      {"%YAML 1.1\n---\na: x\u2028y", "{\"a\":\"x\u2028y\"}"},
      {"%YAML 1.1\n---\na: \"x\u0085y\"", "{\"a\":\"x\u0085y\"}"},
      {"%YAML 1.1\n---\na: |\n  x\u2029y", "{\"a\":\"x\u2029y\\n\"}"},
      {"%YAML 1.1 # c\n---\na: b", R"({"a":"b"})"},
      {"%YAML 1.0\n---\na: b", R"({"a":"b"})"},
      {"%YAML 1.3\n---\na: b", R"({"a":"b"})"},
      {"%YAML 1.10\n---\na: x\u2028y", "{\"a\":\"x\u2028y\"}"},
      {"%YAML 01.02\n---\na: b", R"({"a":"b"})"},
      {"%YAML 2.0\n---\na: b",
       "invalid YAML frontmatter: unsupported YAML version at byte 0 line 1 column 1"},
      {"# c\n%YAML 0.9\n---\na: b", "SYNTAX at byte 4 line 2 column 1"},
      {"%YAML 1.1\n%YAML 1.1\n---\na: b", "SYNTAX"},
      {"%YAML 1.2.3\n---\na: b", "SYNTAX"},
  });
}

TEST(FrontmatterYaml, HashInATagIsPartOfIt) {
  // A URI may hold "#"; only after white space does it begin a comment.
  expect_outcomes({
      {"a: !<tag#:x> b", R"({"a":"b"})"},
      {"a: !<#> b\nc: !<x#y>\n  d", R"({"a":"b","c":"d"})"},
      {"a: !!str#x b", R"({"a":"b"})"},
      {"a: !!null# b", R"({"a":"b"})"},
      {"a: !!str #c", R"({"a":null})"},
      {"%TAG !e! tag:e#x.com,2000:\n---\na: !e!x b", R"({"a":"b"})"},
      {"%TAG !e! tag:e#x#y:\n---\na: !e!null b", R"({"a":"b"})"},
      {"%TAG !e! !a#b\n---\na: !e!x b", R"({"a":"b"})"},
      {"%TAG !e! tag:yaml.org,2002: #c\n---\na: !e!null b", R"({"a":null})"},
      {"a: !<x>#c b", "SYNTAX"},
  });
}

TEST(FrontmatterYaml, BlockScalarHeaderOnALineOfItsOwn) {
  // Content is indented past the collection, whatever the header's column.
  expect_outcomes({
      {"a:\n  |\n x", R"({"a":"x\n"})"},
      {"a:\n    |\n  x", R"({"a":"x\n"})"},
      {"a:\n  |\n  x", R"({"a":"x\n"})"},
      {"a:\n  &x |\n  x\nb: *x", R"({"a":"x\n","b":"x\n"})"},
      {"a:\n  !t |\n   x", R"({"a":"x\n"})"},
      {"a: &x\n  |\n x", R"({"a":"x\n"})"},
      {"a:\n  # c\n  |\n x", R"({"a":"x\n"})"},
      {"a:\n  |\n\n x\n y", R"({"a":"\nx\ny\n"})"},
      {"a:\n  |-\n x\nb: 1", R"({"a":"x","b":"1"})"},
      {"a:\n   >\n  x\n  y", R"({"a":"x y\n"})"},
      {"-\n  |\n x", "frontmatter must be a YAML mapping"},
      {"a:\n- - a\n  -\n    |\n   x", R"({"a":[["a","x\n"]]})"},
      // a comment after the indicators needs white space before it
      {"a: |+1#\n  x", "SYNTAX at byte 6 line 1 column 7"},
      {"a: >2-#c\n   x", "SYNTAX at byte 6 line 1 column 7"},
      {"a: |-#\n x", "SYNTAX at byte 5 line 1 column 6"},
      {"a: |+1 #c\n  x", R"({"a":" x\n"})"},
      // an empty line with more spaces than the first content line
      {"a:\n  |\n    \n x", "SYNTAX"},
      // a line that is not indented past the collection ends the scalar
      {"a:\n  |\nx", "SYNTAX at byte 7 line 3 column 1"},
  });
}

TEST(FrontmatterYaml, UnicodeSpacesBelongToAnchorNames) {
  // Only the space and the tab end a name; characters that are not
  // printable are no part of one.
  expect_outcomes({
      {"a: &b\u0085 1\nc: *b\u0085", R"({"a":"1","c":"1"})"},
      {"a: &b\u00a0\u00a0 1\nc: *b\u00a0\u00a0", R"({"a":"1","c":"1"})"},
      {"a: [&b\u3000 1, *b\u3000]", R"({"a":["1","1"]})"},
      {"a: {&b\u2000 k: v}", R"({"a":{"k":"v"}})"},
      {"&\u0085x", R"({})"},
      {"a: &b\u0085 1\nc: &b__ 2\nd: *b\u0085\ne: *b__", R"({"a":"1","c":"2","d":"1","e":"2"})"},
      {"a: &b 1\nc: *b\u00a0", "SYNTAX"},
      {"a: &b\u009f 1", "SYNTAX"},
  });
}

TEST(FrontmatterYaml, RootBlockScalarMayHoldLinesAtColumnZero) {
  // The root node is indented by -1, so its block scalar's lines may start
  // at column 0; a line that marks a document still ends it.
  expect_outcomes({
      {"|\nfoo", "frontmatter must be a YAML mapping"},
      {">-\n- null", "frontmatter must be a YAML mapping"},
      {"# c\n\n|\n\nfoo\n", "frontmatter must be a YAML mapping"},
      {"|\nfoo\n...\n", "frontmatter must be a YAML mapping"},
      {"|\nfoo\n---\na: b", "invalid YAML frontmatter: multiple documents are not supported"},
      {"|1\n foo", "frontmatter must be a YAML mapping"},
      {"|\n foo\nbar", "SYNTAX at byte 7 line 3 column 1"},
      {"|\nfoo\n#c\n\tbar: [", "frontmatter must be a YAML mapping"},
  });
}

TEST(FrontmatterYaml, NulIsASyntaxError) {
  // YAML allows no NUL; nothing after one may be dropped unseen. A syntax
  // error before it comes first.
  expect_outcomes({
      {std::string("a: b\0c", 7),
       "invalid YAML frontmatter: invalid NUL character at byte 4 line 1 column 5"},
      {std::string("\0", 1), "SYNTAX at byte 0 line 1 column 1"},
      {std::string("\xC3\xA9: b\n\0", 7), "SYNTAX at byte 5 line 2 column 1"},
      {std::string("a: |\n  x\0y", 11), "SYNTAX at byte 8 line 2 column 4"},
      {std::string("a: 1\na: 1\n\0", 11), "SYNTAX at byte 10 line 3 column 1"},
      {std::string("a: b\n#\0", 8), "SYNTAX at byte 6 line 2 column 2"},
      {std::string("a: [b, \n\0", 9), "SYNTAX at byte 8 line 2 column 1"},
      {std::string("a: [b\0]", 7), "SYNTAX at byte 5 line 1 column 6"},
  });
}

TEST(FrontmatterYaml, ByteOrderMarkIsNoCharacterOfANameOrPlainKey) {
  // At the start of the text it is no content; in a quoted scalar it is
  // text; in the name of an anchor or alias it is a syntax error.
  expect_outcomes({
      {"\xEF\xBB\xBF", R"({})"},
      {"\xEF\xBB\xBF" "a: b", R"({"a":"b"})"},
      {"a: \"\xEF\xBB\xBF\"", "{\"a\":\"\xEF\xBB\xBF\"}"},
      {"a: &\xEF\xBB\xBFx b", "SYNTAX at byte 3 line 1 column 4"},
      {"a: &x\xEF\xBB\xBF b", "SYNTAX at byte 3 line 1 column 4"},
      {"a: &x b\nc: *x\xEF\xBB\xBF", "SYNTAX at byte 11 line 2 column 4"},
      // a mark at the start stands in no column
      {"\xEF\xBB\xBF" "x: >\n  alpha", R"({"x":"alpha\n"})"},
      {"\xEF\xBB\xBF" "x: |\n  \tb", R"({"x":"\tb\n"})"},
      {"\xEF\xBB\xBF" "x:\n  a: |\n   b", R"({"x":{"a":"b\n"}})"},
  });
}

TEST(FrontmatterYaml, EntryWithoutKeyAfterANestedNode) {
  // A line that begins with ":" is an entry whose key is empty, so null,
  // also after a nested collection or a plain scalar of several lines; at
  // the column of an explicit key's "?", it is that key's value.
  expect_outcomes({
      {"a:\n ? b\n: c", "invalid YAML frontmatter: frontmatter keys must be strings"},
      {"c:\n- x\n 1\n: d", "invalid YAML frontmatter: frontmatter keys must be strings"},
      {"c:\n  d: x\n   y\n: e", "invalid YAML frontmatter: frontmatter keys must be strings"},
      {"a:\n    b: 1\n     ? c\n    : d", "invalid YAML frontmatter: frontmatter keys must be strings"},
      {"t: +.inf\n \xEE\x80\x80\n:", "invalid YAML frontmatter: frontmatter keys must be strings"},
      // a syntax error after it still wins
      {"a:\n ? b\n: c\nd: [e", "SYNTAX at byte 17 line 5 column 1"},
      {"? a\n  ? b\n: c", R"({"a ? b":"c"})"},
      {"x:\n  ? a\n  : b\n  ? c\n  : |\n   d", R"({"x":{"a":"b","c":"d\n"}})"},
      {"- ? b\n  : c", "frontmatter must be a YAML mapping"},
  });
}

TEST(FrontmatterYaml, BlockMappingCannotBeginOnTheLineOfItsKey) {
  // A syntax error, which wins over the receiver's errors before it.
  expect_outcomes({
      {"a: : x", "SYNTAX at byte 3 line 1 column 4"},
      {"a: :", "SYNTAX at byte 3 line 1 column 4"},
      {"a: &x :", "SYNTAX at byte 6 line 1 column 7"},
      {"b:\n  a: : x", "SYNTAX at byte 8 line 2 column 6"},
      {"- a: : x", "SYNTAX at byte 5 line 1 column 6"},
      {"~: 1\na: : x", "SYNTAX at byte 8 line 2 column 4"},
      {"a: 1\na: 2\nb: : x", "SYNTAX at byte 13 line 3 column 4"},
      // after "-" or an explicit ":", a compact mapping is valid
      {"- :", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},
      {"? a\n: : x", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},
      {"? a\n: b: c", R"({"a":{"b":"c"}})"},
      {"- b: c", "frontmatter must be a YAML mapping"},
      // on the next line
      {"a:\n  : x", R"(invalid YAML frontmatter: frontmatter keys must be strings)"},
      {"a: # note\n  b: c", R"({"a":{"b":"c"}})"},
      {"a: &x\n  b: c\nd: *x", R"({"a":{"b":"c"},"d":{"b":"c"}})"},
  });
}

TEST(FrontmatterYaml, FlowIndicatorEndsATag) {
  // Properties may stand before an empty node.
  expect_outcomes({
      {"a: [!,]", R"({"a":[null]})"},
      {"a: [!,b]", R"({"a":[null,"b"]})"},
      {"a: [[!]]", R"({"a":[[null]]})"},
      {"{a: [!]}", R"({"a":[null]})"},
      {"a: {x: !!str,}", R"({"a":{"x":null}})"},
      {"a: [!!null,x]", R"({"a":[null,"x"]})"},
      {"a: {x: !e,y: z}", R"({"a":{"x":null,"y":"z"}})"},
      {"a: [!, !,]", R"({"a":[null,null]})"},
      {"a: [\"!,\", !x y]", R"({"a":["!,","y"]})"},
      // outside a flow collection the tag still needs white space after it
      {"a: !x,y z", "SYNTAX at byte 3 line 1 column 4"},
      {"a: !,", "SYNTAX"},
      {"a: [!x[y]]", "SYNTAX"},
  });
}

TEST(FrontmatterYaml, PropertiesOfAValueAreIndentedPastItsKey) {
  expect_outcomes({
      {"a:\n&x", "SYNTAX at byte 3 line 2 column 1"},
      {"a:\n!t", "SYNTAX at byte 3 line 2 column 1"},
      {"a:\n&x\nC: 1", "SYNTAX"},
      {"b:\n  a:\n  &x", "SYNTAX at byte 10 line 3 column 3"},
      {"a:\n &x", R"({"a":null})"},
      {"a:\n  !t", R"({"a":null})"},
      {"a: &x\nb: *x", R"({"a":null,"b":null})"},
      {"a:\n&x b: 1", R"({"a":null,"b":"1"})"},
  });
}

// The parser misreads empty block scalars nested in collections, empty
// entries of sequences that are not indented, and folded scalars with a
// more indented line after an empty one; the text is read again with the
// node spelled so that it reads it right.
TEST(FrontmatterYaml, ReadsQuotedScalarsFromTheirSource) {
  // The parser's own text of such scalars is wrong, and some of them leak
  // memory: runs of "''", CR LF breaks before the closing quote, escapes
  // next to a line break.
  expect_outcomes({
      // adjacent quote pairs
      {"a: 'x''''y''''z'", R"({"a":"x''y''z"})"},
      {"a: ''''''''''''", R"({"a":"'''''"})"},
      {"a: '''''''''''x'", R"({"a":"'''''x"})"},
      {"a: '''''''''b\t'", R"({"a":"''''b\t"})"},
      {"'k''''ey': v", R"({"k''ey":"v"})"},
      {"a: &n 'x''''y'\nb: *n", R"({"a":"x''y","b":"x''y"})"},
      {"a: !!str 'x''''y'", R"({"a":"x''y"})"},
      // line breaks of every kind fold
      {"a: 'ab ''\r\n  '", R"({"a":"ab ' "})"},
      {"a: [' \r\n ']", R"({"a":[" "]})"},
      {"a: 'x\r\n \r\n  y'", R"({"a":"x\ny"})"},
      {"a: '\r\n\n\r\n\r\n\r\n\n  '", R"({"a":"\n\n\n\n\n"})"},
      {"a: 'x\r  y\r\r  z'", R"({"a":"x y\nz"})"},
      // escapes and escaped line breaks
      {"a: \"\\ \n  \"", R"({"a":"  "})"},
      {"a: \"\\\\\\\n  F\"", R"({"a":"\\F"})"},
      {"a: \"x\\\n\n\n  y\"", R"({"a":"x\n\ny"})"},
      {"a: \"x\\\r\n\r\n  y\"", R"({"a":"x\ny"})"},
      {"a: \"a \t\\\n  b\"", R"({"a":"a \tb"})"},
      {"a: \"x\r\n  \\t\r\n  y\"", R"({"a":"x \t y"})"},
      {"a: \"\\x41\\xe9\\N\\_\\L\\P\\e\\a\\b\\v\\f\\r\\0\\ \\/\\\t\"",
       "{\"a\":\"A\xC3\xA9\xC2\x85\xC2\xA0\xE2\x80\xA8\xE2\x80\xA9"
       "\\u001b\\u0007\\b\\u000b\\f\\r\\u0000 /\\t\"}"},
      // other line separators are ordinary characters
      {"a: 'x\xE2\x80\xA8y\xC2\x85z'", "{\"a\":\"x\xE2\x80\xA8y\xC2\x85z\"}"},
  });
}

TEST(FrontmatterYaml, ReadsBlockScalarsEndingInWhiteLines) {
  // The parser's own text of these scalars leaks memory.
  expect_outcomes({
      {" |\n y\n\r\r\r\r\r ", "frontmatter must be a YAML mapping"},
      {"---\r|\r\x0f\r\r\r\r \r ", "frontmatter must be a YAML mapping"},
      {"--- >\np\n\n \n \n \n", "frontmatter must be a YAML mapping"},
  });
}

TEST(FrontmatterYaml, MendsWhatTheParserMisreads) {
  expect_outcomes({
      // empty block scalar before sibling
      {"a:\n  b: |\n  c: x", R"({"a":{"b":"","c":"x"}})"},
      // empty block scalar in sequence
      {"a:\n  - |\n  - x", R"({"a":["","x"]})"},
      // empty keep block scalar before sibling
      {"a:\n  b: |+\n\n  c: x", R"({"a":{"b":"\n","c":"x"}})"},
      // empty block scalar with comment
      {"a:\n  b: |  # c\n  c: x", R"({"a":{"b":"","c":"x"}})"},
      // empty block scalar at end
      {"d: |", R"({"d":""})"},
      // empty block scalar in a list at the end: clip keeps no line feed
      {"x:\n  - >\n", R"({"x":[""]})"},
      // keep block scalar at end
      {"b: |+\n  note", R"({"b":"note\n"})"},
      // clip block scalar at end
      {"b: |\n  note", R"({"b":"note\n"})"},
      // empty indentless entry
      {"a:\n-\n- x", R"({"a":[null,"x"]})"},
      // empty indentless entry at end
      {"a:\n- x\n-", R"({"a":["x",null]})"},
      // empty indentless entry with comment
      {"a:\n- # c\n- x", R"({"a":[null,"x"]})"},
      // empty indentless entry before key
      {"a:\n-\nb: 1", R"({"a":[null],"b":"1"})"},
      // folded more-indented after empty line
      {"b: >\n  y\n\n   a b", R"({"b":"y\n\n a b\n"})"},
  });
}

}  // namespace
}  // namespace zav
