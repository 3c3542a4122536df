// Link destinations and heading texts of Markdown texts, and the helpers that find them in the
// source: the line table and the reading of leading link reference definitions.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/line_table.hpp"
#include "engine/reference_definitions.hpp"
#include "zav/engine.hpp"

namespace zav {
namespace {

using namespace std::string_literals;

using Headings = std::vector<std::pair<int, std::string>>;

struct FactsCase {
  std::string text;
  std::vector<std::string> links;
  Headings headings;
};

Headings headings_of(const MarkdownFacts& facts) {
  Headings out;
  for (const Heading& h : facts.headings) out.emplace_back(h.level, h.text);
  return out;
}

void expect_facts(const std::vector<FactsCase>& cases) {
  for (const FactsCase& c : cases) {
    MarkdownFacts facts = markdown_facts(c.text);
    std::string shown = testing::PrintToString(c.text.substr(0, 80));
    EXPECT_EQ(facts.links, c.links) << shown;
    EXPECT_EQ(headings_of(facts), c.headings) << shown;
  }
}

TEST(MarkdownFacts, FindsHeadingsAndLinks) {
  expect_facts({
      {"", {}, {}},
      {"# Hello _world_ #", {}, {{1, "Hello _world_"}}},
      {"#\n##   \n# #", {}, {{1, ""}, {2, ""}, {1, ""}}},
      {"#NoSpace\n####### seven", {}, {}},
      {"Title\n=====", {}, {{1, "Title"}}},
      {"one\ntwo\n---", {}, {{2, "one\ntwo"}}},
      {"> one\n> two\n> ---", {}, {{2, "one\n> two"}}},
      {"- ## In a list\n\n> # Quoted", {}, {{2, "In a list"}, {1, "Quoted"}}},
      {"## See [the guide](guide.md)", {"guide.md"}, {{2, "See [the guide](guide.md)"}}},
      {"[a](x.md) [b](x.md)", {"x.md", "x.md"}, {}},
      {"[a]() [a](<>)", {"", ""}, {}},
      {"[r]: target.md\n\n[a][r] [r][] [r]", {"target.md", "target.md", "target.md"}, {}},
      {"[a][r] [r][] [r]\n\n[r]: target.md", {"target.md", "target.md", "target.md"}, {}},
      {"[a][r] [r][] [r]", {}, {}},
      {"<doc:a%20b> <me@example.com> http://bare.example.com me@example.com",
       {"doc:a%20b", "me@example.com"},
       {}},
      {"[a](<my file.md>) [b](a&amp;b.md) [c](a\\)b) [d](e.md \"title\")",
       {"my file.md", "a&b.md", "a)b", "e.md"},
       {}},
      {"[a](<b>\"t\")", {}, {}},  // a title must be set off from the destination
      {"![alt](img.png) ![a [b](c.md) d](e.png)", {"c.md"}, {}},
      {"`[a](b.md)`\n\n    [c](d.md)\n\n```\n[e](f.md)\n```\n\n<a href=\"g.md\">g</a>", {}, {}},
      {"---\ntitle: x\n---\nbody", {}, {{2, "title: x"}}},
      {"# Title {#custom-id}", {}, {{1, "Title {#custom-id}"}}},
  });
}

// Autolinks give the text between their angle brackets as written: no "mailto:" before an
// address, no entity decoded; a link of the same shape written in brackets keeps its own
// destination. The text is found on any line of its paragraph, inside containers too.
TEST(MarkdownFacts, TakesAutolinksAsWritten) {
  expect_facts({
      {"[me@example.com](mailto:me@example.com) <mailto:me@example.com>",
       {"mailto:me@example.com", "mailto:me@example.com"},
       {}},
      {"<http://a.example/?x&amp;y> <irc:a&#65;b> <a.b+c@d.example>",
       {"http://a.example/?x&amp;y", "irc:a&#65;b", "a.b+c@d.example"},
       {}},
      {"[http://a.example/?x&amp;y](http://a.example/?x&amp;y)", {"http://a.example/?x&y"}, {}},
      {"> a\n> b <irc:a&amp;b>", {"irc:a&amp;b"}, {}},
      {"- a\n\n  b\n  c <irc:a&amp;b>", {"irc:a&amp;b"}, {}},
      {"> a\nlazy <irc:a&amp;b>", {"irc:a&amp;b"}, {}},
      {"> - a\n>\tb <irc:a&amp;b>", {"irc:a&amp;b"}, {}},
      {"[r]: /u\n'title'\nx <irc:a&amp;b>", {"irc:a&amp;b"}, {}},
      {"a\r\nb <irc:a&amp;b>", {"irc:a&amp;b"}, {}},
      {"a\0b\nc\0 <irc:a&amp;b>"s, {"irc:a&amp;b"}, {}},
      {"# x <irc:a&amp;b>", {"irc:a&amp;b"}, {{1, "x <irc:a&amp;b>"}}},
      {"x\n<irc:a&amp;b> y\n===", {"irc:a&amp;b"}, {{1, "x\n<irc:a&amp;b> y"}}},
  });
}

// The text runs from the first character of the content to the last, delimiters included; the
// markers, a closing sequence and the white space around the content stay out.
TEST(MarkdownFacts, CutsHeadingTextFromTheSource) {
  expect_facts({
      {"# a `code`", {}, {{1, "a `code`"}}},
      {"# [a](b.md)", {"b.md"}, {{1, "[a](b.md)"}}},
      {"# x <http://a.b>", {"http://a.b"}, {{1, "x <http://a.b>"}}},
      {"# *a* **b**", {}, {{1, "*a* **b**"}}},
      {"# a <span>", {}, {{1, "a <span>"}}},
      {"# [r][]\n\n[r]: /u", {"/u"}, {{1, "[r][]"}}},
      {"# [a][r]\n\n[r]: /u", {"/u"}, {{1, "[a][r]"}}},
      {"# a&amp;", {}, {{1, "a&amp;"}}},
      {"# a\\*", {}, {{1, "a\\*"}}},
      {"# a\0b"s, {}, {{1, "a\0b"s}}},
      // closing sequences
      {"# a #", {}, {{1, "a"}}},
      {"# a ##   ", {}, {{1, "a"}}},
      {"# a#", {}, {{1, "a#"}}},
      {"# a \\#", {}, {{1, "a \\#"}}},
      {"### ###", {}, {{3, ""}}},
      {"# #a", {}, {{1, "#a"}}},
      {"#\t#", {}, {{1, ""}}},
      {"## a # b ##", {}, {{2, "a # b"}}},
      {"# a\t#\t", {}, {{1, "a"}}},
      {"#\tTitle\t", {}, {{1, "Title"}}},
      {"#\t", {}, {{1, ""}}},
      // a leading backslash escape is markup; other backslashes are text
      {"# \\#x", {}, {{1, "#x"}}},
      {"\\#x\n===", {}, {{1, "#x"}}},
      {"# \\\\x", {}, {{1, "\\x"}}},
      {"\\\\\n===", {}, {{1, "\\"}}},
      {"# \\a", {}, {{1, "\\a"}}},
      {"# &amp;x", {}, {{1, "&amp;x"}}},
      // tabs and other white space before the markers
      {"\t# x", {}, {}},
      {"\t># x", {}, {}},  // four columns of indentation: a code block, not a quote
      {">\t# x", {}, {{1, "x"}}},
      {"-\t# x", {}, {{1, "x"}}},
      {"#\x0bx", {}, {}},
      // a byte order mark is an ordinary character, and the first of its line
      {"\xEF\xBB\xBF# a", {}, {}},
      {"\xEF\xBB\xBF" "a\nb\n===", {}, {{1, "\xEF\xBB\xBF" "a\nb"}}},
      {"\xEF\xBB\xBF    code [l](m)\n# h", {"m"}, {{1, "h"}}},
      {"\xEF\xBB\xBF\xEF\xBB\xBF" "a\n=", {}, {{1, "\xEF\xBB\xBF\xEF\xBB\xBF" "a"}}},
  });
}

TEST(MarkdownFacts, CutsUnderlinedHeadingsInContainers) {
  expect_facts({
      {"> a\n> b\n> ===", {}, {{1, "a\n> b"}}},
      {"- a\n  b\n  ---", {}, {{2, "a\n  b"}}},
      {"> - a\n>   b\n>   ===", {}, {{1, "a\n>   b"}}},
      {"> a\nb\n> ===", {}, {{1, "a\nb"}}},
      {">\ta\n>\tb\n>\t===", {}, {{1, "a\n>\tb"}}},
      {"1.  a\n    b\n    ===", {}, {{1, "a\n    b"}}},
      {"- > a\n  > b\n  > ---", {}, {{2, "a\n  > b"}}},
      {"[r]: /u\nFoo\n===", {}, {{1, "Foo"}}},
      {"[r]: /u\n\t\nFoo\n===", {}, {{1, "Foo"}}},  // a line of white space only is blank
      {"[r]:\n/u\n'title'\n  Foo\n===", {}, {{1, "Foo"}}},
      {"a  \nb\\\nc  \n===", {}, {{1, "a  \nb\\\nc"}}},
      {"x\n===\n===", {}, {{1, "x"}}},
  });
}

// LF, CR LF and a lone CR each end a line; heading texts keep the line ends as written.
TEST(MarkdownFacts, EndsLinesAtLfCrLfAndLoneCr) {
  expect_facts({
      {"# a\r\n## b\r\n", {}, {{1, "a"}, {2, "b"}}},
      {"a\r\nb\r\n===\r\n", {}, {{1, "a\r\nb"}}},
      {"# a\r## b\r", {}, {{1, "a"}, {2, "b"}}},
      {"a\rb\r---", {}, {{2, "a\rb"}}},
      {"```\r[a](b)\r```\r[c](d)\r", {"d"}, {}},
      {"> a\r> b\r> ===", {}, {{1, "a\r> b"}}},
  });
}

TEST(MarkdownFacts, SurvivesDeepNestingAndLongRuns) {
  std::string quotes;
  for (int i = 0; i < 100000; ++i) quotes += "> ";
  std::string items, indent;
  for (int i = 0; i < 50000; ++i) items += "- ", indent += "  ";
  expect_facts({
      {quotes + "# deep", {}, {{1, "deep"}}},
      {items + "x\n" + indent + "y <irc:a&amp;b>\n", {"irc:a&amp;b"}, {}},
      {std::string(100000, '[') + "a](b.md)", {"b.md"}, {}},
      {std::string(100000, '*') + "x", {}, {}},
      {"x" + std::string(100000, '`') + "[a](b.md)", {"b.md"}, {}},
  });
}

// Offsets of the 1-based byte columns that the parser reports: a byte order mark is part of
// line 1, and a NUL counts three bytes (the parser reads it as U+FFFD).
TEST(LineTable, MapsParserColumnsToOffsets) {
  std::string text =
      "\xEF\xBB\xBF"
      "ab\r\ncd\re\0f\nlast"s;
  LineTable lines(text);
  ASSERT_EQ(lines.line_count(), 4u);
  EXPECT_EQ(lines.start(1), 0u);
  EXPECT_EQ(lines.end(1), 5u);
  EXPECT_EQ(lines.next(1), 7u);
  EXPECT_EQ(lines.end(2), 9u);
  EXPECT_EQ(lines.next(2), 10u);
  EXPECT_EQ(lines.offset_of_column(1, 5), 4u);
  EXPECT_EQ(lines.offset_of_column(3, 2), 11u);  // the NUL
  EXPECT_EQ(lines.offset_of_column(3, 5), 12u);  // just after its three bytes
  EXPECT_EQ(lines.offset_of_column(3, 99), 13u);
  EXPECT_EQ(lines.start(4), 14u);
  EXPECT_EQ(lines.end(4), text.size());
  EXPECT_EQ(lines.start(5), text.size());
}

TEST(ReferenceDefinitions, MeasuresTheDefinitionsThatStartAParagraph) {
  const std::string long_label(1000, 'x');
  const std::pair<std::string, std::size_t> cases[] = {
      {"[a]: /u\nfoo\n", 8},
      {"[a]: /u \"t\"\nfoo\n", 12},
      {"[a]: /u\n\"t\"\nfoo\n", 12},
      {"[a]: /u\n\"t\" x\nfoo\n", 8},  // a title followed by text is left to the paragraph
      {"[a]: /u \"t\" x\nfoo\n", 0},
      {"[a]: /u \"abc\\\"\nfoo\n", 15},
      {"[a]:/u\"t\"\n", 10},
      {"[a]: <>\nfoo\n", 8},
      {"[a]: <b c>\n", 11},
      {"[a]: <b\nc>\n", 0},
      {"[a]:\n/u\nfoo\n", 8},
      {"[a]: /u\n[b]: /v\nc\n", 16},
      {"[a\\]]: /u\n", 10},
      {"[ ]: /u\n", 0},
      {"[a]: )\n", 0},
      {"[a]: /u\f\n", 0},
      {"[a]: " + std::string(33, '(') + "x" + std::string(33, ')') + "\n", 0},
      {"[" + long_label + "]: /u\n", long_label.size() + 7},
      {"[" + long_label + "x]: /u\n", 0},
      {"x [a]: /u\n", 0},
  };
  for (const auto& [content, expected] : cases) {
    EXPECT_EQ(leading_definitions_length(content), expected) << testing::PrintToString(content);
  }
}

}  // namespace
}  // namespace zav
