// Ignore lines, glob syntax and the matcher that finds the last matching rule.
#include <gtest/gtest.h>

#include <chrono>

#include "engine/discover/ignore_rules.hpp"
#include "quick_bound.hpp"

namespace zav {
namespace {

TEST(IgnoreLine, CommentsBlanksAndFlags) {
  struct Row {
    std::string line;
    std::optional<std::string> pattern;  // nothing: the line adds no rule
    bool reinclude = false;
    bool directory_only = false;
  };
  const std::vector<Row> rows = {
      {"#x.md", std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"\t\xE3\x80\x80\r", std::nullopt},  // U+3000 and CR are white space too
      {" #x", " #x"},
      {"foo.md \t", "foo.md"},
      {"a\\ ", "a\\ "},
      {"!a.md", "!a.md", true},
      {"\\!a.md", "\\!a.md"},
      {"\\#a.md", "\\#a.md"},
      {"!/d/", "!/d/", true, true},
      {"archive/", "archive/", false, true},
      {"a\\/", "a\\/", false, true},
  };
  for (const Row& row : rows) {
    auto rule = parse_ignore_line(row.line);
    ASSERT_TRUE(rule) << row.line << ": " << rule.error();
    ASSERT_EQ(rule->has_value(), row.pattern.has_value()) << row.line;
    if (!row.pattern) continue;
    EXPECT_EQ((*rule)->pattern, *row.pattern);
    EXPECT_EQ((*rule)->reinclude, row.reinclude) << row.line;
    EXPECT_EQ((*rule)->directory_only, row.directory_only) << row.line;
  }
}

TEST(IgnoreLine, RejectedGlobsQuoteTheTrimmedLine) {
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"[z-a]  ", "error parsing glob '[z-a]': invalid range; 'z' > 'a'"},
      {"!/[z-a]/", "error parsing glob '!/[z-a]/': invalid range; 'z' > 'a'"},
      {"/a[a--].md", "error parsing glob '/a[a--].md': invalid range; 'a' > '-'"},
      {"[b-a-c]", "error parsing glob '[b-a-c]': invalid range; 'b' > 'a'"},
      {"[\xC3\xA9-a]", "error parsing glob '[\xC3\xA9-a]': invalid range; '\xC3\xA9' > 'a'"},
      {"foo\\", "error parsing glob 'foo\\': dangling '\\'"},
      {"\\", "error parsing glob '\\': dangling '\\'"},
      // "\ " keeps the line whole only when it is the very end.
      {"a\\  ", "error parsing glob 'a\\': dangling '\\'"},
      {"{a",
       "error parsing glob '{a': unclosed alternate group; missing '}' (maybe escape '{' with "
       "'[{]'?)"},
      {"{a,[b}]",
       "error parsing glob '{a,[b}]': unclosed alternate group; missing '}' (maybe "
       "escape '{' with '[{]'?)"},
      {"{a,{b}}", "error parsing glob '{a,{b}}': nested alternate groups are not allowed"},
  };
  for (const auto& [line, message] : rows) {
    auto rule = parse_ignore_line(line);
    ASSERT_FALSE(rule) << line;
    EXPECT_EQ(rule.error(), message);
  }
}

std::optional<IgnoreMatcher> single_rule(const std::string& line, RegexMatching matching) {
  auto rule = parse_ignore_line(line);
  if (!rule || !rule->has_value()) return std::nullopt;
  std::vector<IgnoreRule> rules;
  rules.push_back(std::move(**rule));
  auto matcher = IgnoreMatcher::build(std::move(rules), matching);
  if (!matcher) return std::nullopt;
  return std::move(*matcher);
}

struct MatchRow {
  std::string line;
  std::string path;
  bool is_directory;
  bool matches;
};

// Each row is one rule tested against one path; both ways of matching
// expressions must agree.
TEST(IgnoreMatcher, GlobSyntax) {
  const std::vector<MatchRow> rows = {
      {"*.md", "a.md", false, true},
      {"*.md", "x/y/a.md", false, true},
      {"*.md", "a.MD", false, false},
      {"/top.md", "top.md", false, true},
      {"/top.md", "d/top.md", false, false},
      {"top.md", "d/e/top.md", false, true},
      {"docs/*.md", "docs/a.md", false, true},
      {"docs/*.md", "docs/sub/a.md", false, false},
      {"docs/*.md", "x/docs/a.md", false, false},
      {"docs/**", "docs/a/b.md", false, true},
      {"docs/**", "docs", true, false},
      {"a/**/b.md", "a/b.md", false, true},
      {"a/**/b.md", "a/x/y/b.md", false, true},
      {"/a/**/**/b.md", "a/y/b.md", false, true},
      {"**/b.md", "x/b.md", false, true},
      {"*/", "", true, true},
      {"*/", "a.md", false, false},
      {"/", "", true, true},
      {"/", "a.md", false, false},
      {"!", "d/a.md", false, true},
      {"**", "d/a.md", false, true},
      {"/**/", "d", true, true},
      {"a/**/", "a/b", true, true},
      {"a/**/", "a", true, false},
      // "**" next to other characters is two stars.
      {"/a**/b.md", "ab/b.md", false, true},
      {"/a**/b.md", "a/x/b.md", false, false},
      {"/**a/b.md", "xa/b.md", false, true},
      {"/a/**b.md", "a/xb.md", false, true},
      {"/a/**b.md", "a/x/b.md", false, false},
      // "?" and classes take one byte; a negated class takes "/" too.
      {"/a?.md", "ab.md", false, true},
      {"/a?.md", "a/.md", false, false},
      {"/a?.md", "a\xC3\xA9.md", false, false},
      {"/a??.md", "a\xC3\xA9.md", false, true},
      {"/?/a.md", "\xFF/a.md", false, true},
      {"/[\xC3\xA9]/x.md", "\xC3/x.md", false, true},
      {"/[\xC3\xA9]/x.md", "\xA9/x.md", false, true},
      {"/[\xC3\xA9]/x.md", "\xC3\xA9/x.md", false, false},
      {"/[a-\xC3\xA9]/x.md", "\xB0/x.md", false, true},
      {"/a[!x]b.md", "a/b.md", false, true},
      {"/a[^x]b.md", "axb.md", false, false},
      {"/a[b-d-f].md", "af.md", false, true},
      {"/a[b-d-f].md", "a-.md", false, false},
      {"/a[a-].md", "a-.md", false, true},
      {"/a[]-a]b.md", "a^b.md", false, true},
      {"/a[!]a].md", "a].md", false, false},
      {"/a[!]a].md", "ab.md", false, true},
      {"/a[\\]]b.md", "a\\]b.md", false, true},
      {"/a[\\]]b.md", "a]b.md", false, false},
      // A "[" without its "]" is a plain character.
      {"/[a*", "[ab.md", false, true},
      {"/[].md", "[].md", false, true},
      {"/x[", "x[", false, true},
      // Alternatives; an empty one adds nothing, a "}" alone is an empty group.
      {"/{a,b}{c,d}.md", "bc.md", false, true},
      {"/{a,}.md", "a.md", false, true},
      {"/{a,}.md", ".md", false, false},
      {"/x{}.md", "x.md", false, true},
      {"/a}.md", "a.md", false, true},
      {"/a}.md", "a}.md", false, false},
      {"/a,b.md", "a,b.md", false, true},
      {"/{a\\,b}.md", "a,b.md", false, true},
      {"/{a/b,c}.md", "a/b.md", false, true},
      {"/{**/b,c}.md", "q/r/b.md", false, true},
      {"/{a,b/**}", "b/x/y.md", false, true},
      {"/a/{**,x}", "a/w.md", false, true},
      {"/a/{**,x}", "a/z/w.md", false, false},
      {"/{a\\,**}", "a/x.md", false, true},
      // Escapes and literal white space.
      {"\\*x.md", "*x.md", false, true},
      {"\\*x.md", "ax.md", false, false},
      {"a\\ .md", "a .md", false, true},
      {"\\!a.md", "!a.md", false, true},
      {"\\#a.md", "d/#a.md", false, true},
      // Any byte, a line feed included, is matched.
      {"**/z/b.md", "x\ny/z/b.md", false, true},
      {"/x?y/b.md", "x\ny/b.md", false, true},
      // A name ending in "." is a name like any other.
      {"n.", "sub/n.", true, true},
      {"*.", "sub/n.", true, true},
      {"[n].", "n.", true, true},
      // Literal names, affixes and infixes against a tail or a last piece.
      {"**/a/b", "x/a/b", true, true},
      {"**/a/b", "xa/b", true, false},
      {"x*", "d/xy", true, true},
      {"x*", "xy/d", true, false},
      {"*y", "d/xy", true, true},
      {"*ab*", "d/xaby", true, true},
      {"*ab*", "ab/y", true, false},
  };
  for (RegexMatching matching : {RegexMatching::sets, RegexMatching::one_by_one}) {
    for (const MatchRow& row : rows) {
      auto matcher = single_rule(row.line, matching);
      ASSERT_TRUE(matcher) << row.line;
      IgnoreVerdict expected = !row.matches                ? IgnoreVerdict::none
                               : row.line.starts_with("!") ? IgnoreVerdict::keep
                                                           : IgnoreVerdict::ignore;
      EXPECT_EQ(matcher->verdict(row.path, row.is_directory), expected)
          << row.line << " against " << row.path;
    }
  }
}

TEST(IgnoreMatcher, DirectoryOnlyRulesCountOnlyForDirectories) {
  auto matcher = single_rule("build/", RegexMatching::sets);
  ASSERT_TRUE(matcher);
  EXPECT_EQ(matcher->verdict("x/build", true), IgnoreVerdict::ignore);
  EXPECT_EQ(matcher->verdict("x/build", false), IgnoreVerdict::none);
}

// The later of several matching rules wins, whatever form each takes and
// however many there are.
TEST(IgnoreMatcher, LastMatchingRuleWins) {
  std::vector<IgnoreRule> rules;
  auto add = [&](const std::string& line) { rules.push_back(**parse_ignore_line(line)); };
  for (int n = 0; n < 2000; ++n) {
    std::string name = "f" + std::to_string(n);
    add("[f]" + name.substr(1) + "?md");                                 // expression after "**/"
    add("/d/" + name + ".m*");                                           // anchored expression
    add(n % 3 == 0 ? "!" + name + "*" : "!*" + name.substr(1) + ".md");  // affixes
    if (n % 2 == 0) add("d/" + name + ".md");                            // literal path
    if (n % 5 == 0) add(name + ".md/");                                  // directory only
  }
  for (RegexMatching matching : {RegexMatching::sets, RegexMatching::one_by_one}) {
    auto matcher = IgnoreMatcher::build(rules, matching);
    ASSERT_TRUE(matcher) << matcher.error();
    for (int n : {0, 1, 2, 3, 5, 10, 999, 1000, 1997, 1999}) {
      std::string path = "d/f" + std::to_string(n) + ".md";
      IgnoreVerdict file = n % 2 == 0 ? IgnoreVerdict::ignore : IgnoreVerdict::keep;
      IgnoreVerdict directory = n % 5 == 0 ? IgnoreVerdict::ignore : file;
      EXPECT_EQ(matcher->verdict(path, false), file) << path;
      EXPECT_EQ(matcher->verdict(path, true), directory) << path;
    }
    EXPECT_EQ(matcher->verdict("d/g.md", false), IgnoreVerdict::none);
  }
}

TEST(IgnoreMatcher, HostilePatternsStayCorrect) {
  std::string stars;
  for (int i = 0; i < 100; ++i) stars += "*a";
  std::string many_names(3000 * 3, '*');
  for (std::size_t i = 2; i < many_names.size(); i += 3) many_names[i] = '/';
  const std::vector<MatchRow> rows = {
      {stars + "*", std::string(100, 'a') + ".md", false, true},
      {stars + "*", std::string(99, 'a') + ".md", false, false},
      {many_names + "x.md", "a/b/x.md", false, true},
      {many_names + "x.md", "y.md", false, false},
      {std::string(100000, '*') + ".md", "a/b.md", false, true},
      {"/" + std::string(60000, '?'), "a.md", false, false},
  };
  for (const MatchRow& row : rows) {
    auto matcher = single_rule(row.line, RegexMatching::sets);
    ASSERT_TRUE(matcher) << row.line.substr(0, 20);
    EXPECT_EQ(matcher->verdict(row.path, row.is_directory),
              row.matches ? IgnoreVerdict::ignore : IgnoreVerdict::none)
        << row.line.substr(0, 20) << " against " << row.path;
  }
}

// Lines of a megabyte in every glob shape are read in time linear in their
// length: each either works or is too large to compile, and neither takes
// long.
TEST(IgnoreMatcher, MegabytePatternsOfEveryShapeAreQuick) {
  constexpr std::size_t MEGABYTE = std::size_t{1} << 20;
  auto repeat = [](std::string_view piece, std::size_t total) {
    std::string text;
    text.reserve(total + piece.size());
    while (text.size() < total) text += piece;
    return text;
  };
  struct Row {
    const char* shape;
    std::string line;
    std::string path;  // a file path that the rule ignores, when it compiles
    bool too_large;
  };
  // Braces of 200 KB, whose expression still compiles: a hundred thousand
  // alternatives.
  std::string fitting_braces = "{" + repeat("a,", 200000) + "b}.md";
  const std::vector<Row> rows = {
      {"braces", "{" + repeat("a,", MEGABYTE) + "b}", "", true},
      {"braces that fit", fitting_braces, "d/b.md", false},
      {"empty alternatives", "{" + std::string(MEGABYTE, ',') + "}x.md", "d/x.md", false},
      {"unopened braces", std::string(MEGABYTE, '}') + "x.md", "x.md", false},
      {"recursive stars", repeat("**/", MEGABYTE) + "x.md", "a/b/x.md", false},
      {"recursive stars inside", "/a" + repeat("/**", MEGABYTE) + "/x.md", "a/b/c/x.md", false},
      {"pieces between recursive stars", "/" + repeat("a/**/", MEGABYTE), "", true},
      {"stars", std::string(MEGABYTE, '*') + ".md", "a/b.md", false},
      {"classes", repeat("[ab]", MEGABYTE), "", true},
      {"unclosed classes", std::string(MEGABYTE, '['), "d/" + std::string(MEGABYTE, '['), false},
      {"one closing bracket", std::string(MEGABYTE, '[') + "]", "", true},
      {"literal run", std::string(MEGABYTE, 'a'), "d/" + std::string(MEGABYTE, 'a'), false},
      {"escaped run", repeat("\\a", MEGABYTE), "d/" + std::string(MEGABYTE / 2, 'a'), false},
      {"question marks", std::string(MEGABYTE, '?'), "", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shape);
    auto start = std::chrono::steady_clock::now();
    auto rule = parse_ignore_line(row.line);
    ASSERT_TRUE(rule && rule->has_value());
    std::vector<IgnoreRule> rules;
    rules.push_back(std::move(**rule));
    auto matcher = IgnoreMatcher::build(std::move(rules));
    if (row.too_large) {
      ASSERT_FALSE(matcher);
      EXPECT_EQ(matcher.error(), "pattern too large - compile failed");
    } else {
      ASSERT_TRUE(matcher) << matcher.error();
      EXPECT_EQ(matcher->verdict(row.path, false), IgnoreVerdict::ignore);
      EXPECT_EQ(matcher->verdict("d/other", false), IgnoreVerdict::none);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, test::QUICK);
  }
}

TEST(IgnoreMatcher, RulesTooLargeToCompile) {
  std::vector<IgnoreRule> rules;
  rules.push_back(**parse_ignore_line("/" + std::string(200000, '?')));
  auto matcher = IgnoreMatcher::build(std::move(rules));
  ASSERT_FALSE(matcher);
  EXPECT_EQ(matcher.error(), "pattern too large - compile failed");
}

}  // namespace
}  // namespace zav
