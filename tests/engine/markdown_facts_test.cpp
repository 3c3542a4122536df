// Link destinations and heading texts of Markdown texts, and the reading of the link reference
// definitions that open a paragraph.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/markdown/references.hpp"
#include "zav/engine.hpp"
#include "repeat.hpp"

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

using test::repeat;

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
  std::string definitions;
  for (int i = 0; i < 100000; ++i) definitions += "[l" + std::to_string(i) + "]: /" + std::to_string(i) + "\n";
  expect_facts({
      {quotes + "# deep", {}, {{1, "deep"}}},
      {items + "x\n" + indent + "y <irc:a&amp;b>\n", {"irc:a&amp;b"}, {}},
      {std::string(100000, '[') + "a](b.md)", {"b.md"}, {}},
      {std::string(100000, '*') + "x", {}, {}},
      {"x" + std::string(100000, '`') + "[a](b.md)", {"b.md"}, {}},
      {repeat("![[]()", 50000), std::vector<std::string>(50000, ""), {}},
      {repeat("a <!-- ", 50000) + "[x](y)", {"y"}, {}},
      {repeat("a <!-- ", 50000) + "--> [x](y)", {"y"}, {}},
      {repeat("[a](b \"", 50000) + "[c](d)", {"d"}, {}},
      {repeat("[a](<b", 50000) + "[c](d)", {"d"}, {}},
      {repeat("<a b='", 50000) + "[c](d)", {"d"}, {}},
      {repeat("*a_ ", 50000) + "[c](d)", {"d"}, {}},
      {items + "x" + repeat("\n", 100000) + indent + "# y", {}, {{1, "y"}}},
      {definitions + "[l0] [l99999] [l100000]", {"/0", "/99999"}, {}},
  });
}

// What CommonMark 0.31 changed or settled: a line of "---" after a paragraph of nothing but
// definitions, an item that opens with a definition, the block tags, HTML comments and
// declarations, and the length of a label counted in characters.
TEST(MarkdownFacts, FollowsCommonMark031) {
  const std::string label_999(999, 'x'), label_1000(1000, 'x');
  std::string e_501;
  for (int i = 0; i < 501; ++i) e_501 += "\xC3\xA9";
  expect_facts({
      {"[a]:a\n---\n-", {}, {}},
      {"[a]:a\n---\nb\n---", {}, {{2, "b"}}},
      {"[a]:b\n---\n[c]:d\n\n[c]", {"d"}, {}},
      {"[a]:b\n===\n[a]", {"b"}, {}},  // no heading is left: "===" is text
      {"- [a]:b\n\n\n    # x", {}, {{1, "x"}}},
      {"- [a]:b\n\n\n  c\n-", {}, {}},
      {"1. [a]:b\r\r\r   # x", {}, {{1, "x"}}},
      {"-\n\n\n    # x", {}, {}},  // an item may open with one blank line only
      {"a\n<search>\n# x", {}, {}},
      {"a\n<source>\n# x", {}, {{1, "x"}}},
      {"a <!-- [x](y) -- -->", {}, {}},
      {"a <!-- [x](y) --->", {}, {}},
      {"a <!---- [x](y) -->", {}, {}},
      {"a <!--> [x](y)", {"y"}, {}},
      {"a <!---> [x](y)", {"y"}, {}},
      {"<!-->\n# x", {}, {{1, "x"}}},
      {"<!doctype\n# x\n>", {}, {}},
      {"a <!doctype [x](y)>", {}, {}},
      {"[" + label_999 + "]\n\n[" + label_999 + "]: /u", {"/u"}, {}},
      {"[" + label_1000 + "]\n\n[" + label_1000 + "]: /u", {}, {}},
      {"[" + e_501 + "]\n\n[" + e_501 + "]: /u", {"/u"}, {}},
      {"[a][" + label_999 + "]\n\n[a]: /u", {}, {}},  // a label follows, though none matches
      {"[a][" + label_1000 + "]\n\n[a]: /u", {"/u"}, {}},
  });
}

// Code spans, autolinks and HTML tags bind more tightly than the brackets of links, the first to
// open winning; a code span closes only on a backtick string of its own length.
TEST(MarkdownFacts, ReadsCodeSpansAutolinksAndTagsBeforeLinks) {
  expect_facts({
      {"` ``[`` ``[]()``", {}, {}},
      {"`` ` ` `[]()`", {}, {}},
      {"` ``)``\t``<tp:>``", {}, {}},
      {"`[a](b)` ``[c](d)`", {"d"}, {}},
      {"\\``[a](b)`", {}, {}},  // the escaped backtick leaves a string of one
      {"[a `]` b](c)", {"c"}, {}},
      {"[a <b c=\"]\"> d](e)", {"e"}, {}},
      {"[foo <http://x/](y)> bar", {"http://x/](y)"}, {}},
      {"<ab:c\x7f>", {}, {}},
      {"<ab:c d> <ab:c> <a:c> <ab:> <a+-.:x> <1a:x>", {"ab:c", "ab:", "a+-.:x"}, {}},
      {"<a@b> <a@-b> <a@b-> <a.b@c.d-e>", {"a@b", "a.b@c.d-e"}, {}},
      // a link whose text holds an autolink starts first
      {"[a <http://x> b](c) <de:f>", {"c", "http://x", "de:f"}, {}},
      {"![a <http://x> b](c)", {"http://x"}, {}},
      // no link in a link; an image may hold one
      {"[a [b](c) d](e)", {"c"}, {}},
      {"![[[foo](uri1)](uri2)](uri3)", {"uri1"}, {}},
      {"[![a](b)](c)", {"c"}, {}},
  });
}

// Destinations are read as CommonMark reads them: escapes and character references resolved, a
// NUL made U+FFFD; labels match after case folding with white space collapsed.
TEST(MarkdownFacts, ReadsDestinationsAndMatchesLabels) {
  expect_facts({
      {"[a](b&amp;c&#65;&#x42;&#0;&#x110000;&#xD800;)",
       {"b&cAB\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
       {}},
      {"[a](&amp &nosuch; &#; &#12345678;)", {}, {}},
      {"[a](&nosuch;&#12345678;\\a\\&amp;)", {"&nosuch;&#12345678;\\a&amp;"}, {}},
      {"[a](b\0c) [d](<e\0f>)"s, {"b\xEF\xBF\xBD" "c", "e\xEF\xBF\xBD" "f"}, {}},
      {"<ab:c\0d>"s, {"ab:c\xEF\xBF\xBD" "d"}, {}},
      {"[a](b\x01" "c) [d](<e\x01" "f>)", {"e\x01" "f"}, {}},
      {"[a](<b)c>) [d](e(f(g)h)i)", {"b)c", "e(f(g)h)i"}, {}},
      {"[a](b (c)) [d](e 'f') [g](h \"i\")", {"b", "e", "h"}, {}},
      {"[a](b \"c\\\")", {}, {}},
      {"[a](&ngE;&ouml;&NotAnEntity;)", {"\xE2\x89\xA7\xCC\xB8\xC3\xB6&NotAnEntity;"}, {}},
      {"[\xE1\xBA\x9E]\n\n[SS]: /u", {"/u"}, {}},
      {"[\xC5\xBF \xE2\x84\xAA]\n\n[s k]: /u", {"/u"}, {}},  // long s, Kelvin sign
      {"[Foo \t\n  bar]\n\n[fOO BAR]: /u", {"/u"}, {}},
      {"[a]\n\n[a]: /first\n[A]: /second", {"/first"}, {}},
      {"[a]\\[b]\n\n[a]: /u", {"/u"}, {}},
      {"[a][]\n\n[a]: /u", {"/u"}, {}},
      {"[a] []\n\n[a]: /u", {"/u"}, {}},
      // white space alone is no label, so these are shortcuts
      {"[a][ ]\n\n[a]: /u", {"/u"}, {}},
      {"[a][\t\n]\n\n[a]: /u", {"/u"}, {}},
      {"[[a][ ]](u)\n\n[a]: /v", {"/v"}, {}},
  });
}

// Definitions open a paragraph's content; each ends at a line end, and a title that does not
// end its line is left to the paragraph.
TEST(LinkReferenceDefinitions, MeasuresTheDefinitionsThatOpenAParagraph) {
  const std::string long_label(999, 'x');
  const std::pair<std::string, std::size_t> cases[] = {
      {"[a]: /u\nfoo\n", 8},
      {"[a]: /u \"t\"\nfoo\n", 12},
      {"[a]: /u\n\"t\"\nfoo\n", 12},
      {"[a]: /u\n\"t\" x\nfoo\n", 8},  // a title followed by text is left to the paragraph
      {"[a]: /u \"t\" x\nfoo\n", 0},
      {"[a]: /u \"abc\\\"\nfoo\n", 0},  // the title's last quote is escaped
      {"[a]:/u\"t\"\n", 10},  // a title must be set off: this is all destination
      {"[a]: /u \"t\"\t \n", 14},
      {"[a]: <>\nfoo\n", 8},
      {"[a]: <b c>\n", 11},
      {"[a]: <b\nc>\n", 0},
      {"[a]:\n/u\nfoo\n", 8},
      {"[a]: /u\n[b]: /v\nc\n", 16},
      {"[a]: /u\n[b]: /v", 15},
      {"[a\\]]: /u\n", 10},
      {"[ ]: /u\n", 0},
      {"[a]: )\n", 0},
      {"[a]:\n", 0},
      {"[a]: /u\f\n", 0},
      {"[a]: " + std::string(32, '(') + "x" + std::string(32, ')') + "\n", 71},
      {"[a]: " + std::string(33, '(') + "x" + std::string(33, ')') + "\n", 0},
      {"[" + long_label + "]: /u\n", long_label.size() + 7},
      {"[" + long_label + "x]: /u\n", 0},
      {"x [a]: /u\n", 0},
  };
  for (const auto& [content, expected] : cases) {
    markdown::ReferenceMap references;
    EXPECT_EQ(markdown::read_definitions(content, references), expected)
        << testing::PrintToString(content);
  }
}

}  // namespace
}  // namespace zav
