// The bounds on nesting and on alias growth, and texts far past them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "yaml/canonical_json.hpp"
#include "yaml/frontmatter_receiver.hpp"
#include "yaml/frontmatter_yaml.hpp"
#include "repeat.hpp"

namespace zav {
namespace {

constexpr const char* TOO_DEEP = "invalid YAML frontmatter: frontmatter nesting is too deep";
constexpr const char* TOO_LARGE =
    "invalid YAML frontmatter: frontmatter is too large after alias expansion";

using test::repeat;

// `depth` block mappings, one inside the other, around a scalar.
std::string nested_mappings(std::size_t depth) {
  std::string text;
  for (std::size_t i = 0; i < depth; ++i) text += std::string(i, ' ') + "k:\n";
  return text + std::string(depth, ' ') + "v";
}

// An anchored value of `anchored` nested lists, and an alias to it inside
// `open` collections (the root mapping included).
std::string alias_at_depth(std::size_t anchored, std::size_t open) {
  std::string text = "a: &a " + repeat("[", anchored) + repeat("]", anchored) + "\nb:\n";
  for (std::size_t i = 1; i < open; ++i) text += std::string(i, ' ') + "k:\n";
  return text + std::string(open, ' ') + "*a";
}

// An anchored list of 999 scalars (1 000 nodes) and `aliases` aliases to it.
std::string copies(std::size_t aliases) {
  std::string items = "v" + repeat(",v", 998);
  std::string refs = aliases == 0 ? "" : "*x" + repeat(",*x", aliases - 1);
  return "a: &x [" + items + "]\nb: [" + refs + "]";
}

TEST(FrontmatterBounds, NestingPast1000CollectionsIsTooDeep) {
  EXPECT_TRUE(parse_frontmatter(nested_mappings(1000)).has_value());
  EXPECT_EQ(parse_frontmatter(nested_mappings(1001)).error(), TOO_DEEP);
  // An alias counts the collections of its copy.
  EXPECT_TRUE(parse_frontmatter(alias_at_depth(200, 800)).has_value());
  EXPECT_EQ(parse_frontmatter(alias_at_depth(200, 801)).error(), TOO_DEEP);
  EXPECT_TRUE(parse_frontmatter(alias_at_depth(0, 999)).has_value());
}

TEST(FrontmatterBounds, CopiesPastAMillionNodesAreTooLarge) {
  // The anchor's own copy counts too: 1 000 copies of 1 000 nodes.
  EXPECT_TRUE(parse_frontmatter(copies(999)).has_value());
  EXPECT_EQ(parse_frontmatter(copies(1000)).error(), TOO_LARGE);
}

TEST(FrontmatterBounds, HostileTextsEndWithTheBoundMessages) {
  std::string laughs = "a: &a [x,x,x,x,x,x,x,x,x,x]";
  for (int i = 1; i <= 12; ++i) {
    std::string name = "n" + std::to_string(i);
    std::string prev = i == 1 ? "a" : "n" + std::to_string(i - 1);
    laughs += "\n" + name + ": &" + name + " [*" + prev + repeat(",*" + prev, 9) + "]";
  }
  EXPECT_EQ(parse_frontmatter(laughs).error(), TOO_LARGE);
  EXPECT_EQ(parse_frontmatter("a:\n" + repeat("- ", 100000) + "x").error(), TOO_DEEP);
  EXPECT_EQ(parse_frontmatter("a: " + repeat("[", 100000) + repeat("]", 100000)).error(),
            "invalid YAML frontmatter: recursion limit exceeded at byte 258 line 1 column 259");
  EXPECT_EQ(parse_frontmatter("a: " + repeat("{a: ", 256) + repeat("}", 256)).error(),
            "invalid YAML frontmatter: recursion limit exceeded at byte 1023 line 1 column 1024");
  EXPECT_TRUE(parse_frontmatter("a: " + repeat("[", 255) + repeat("]", 255)).has_value());
}

TEST(FrontmatterBounds, ImplicitKeysAreAtMost1024Characters) {
  // Counted in characters, from the key's first property to its ":".
  struct Row {
    std::string yaml;
    bool accepted;
  };
  std::string k1000 = repeat("k", 1000);
  std::vector<Row> rows = {
      {repeat("k", 1000) + ": v", true},
      {repeat("k", 1100) + ": v", false},
      {repeat("k", 1024) + ": v", true},
      {repeat("k", 1025) + ": v", false},
      {repeat("k", 1020) + "    : v", true},
      {repeat("k", 1020) + "\t\t\t\t\t: v", false},
      {repeat("\xC3\xA9", 1024) + ": v", true},
      {repeat("\xC3\xA9", 1025) + ": v", false},
      {"\"" + repeat("k", 1022) + "\": v", true},
      {"\"" + repeat("k", 1023) + "\": v", false},
      {"&a " + repeat("k", 1022) + ": v", false},
      {"x:\n  " + repeat("k", 1025) + ": v", false},
      {"- " + repeat("k", 1025) + ": v", false},
      {"[" + repeat("a,", 511) + "a]: v", false},
      // an explicit key, and the keys of a flow mapping, are not limited
      {"? " + repeat("k", 1100) + "\n: v", true},
      {"{" + repeat("k", 1100) + ": v}", true},
      // a single pair in a flow sequence is
      {"a: [" + repeat("k", 1100) + ": v]", false},
      {"a: [" + repeat("k", 1000) + ": v]", true},
  };
  for (const Row& row : rows) {
    auto map = parse_frontmatter(row.yaml);
    EXPECT_EQ(map.has_value(), row.accepted) << row.yaml.substr(0, 40) << "...";
    if (!map) {
      EXPECT_TRUE(map.error().starts_with("invalid YAML frontmatter: ")) << map.error();
      EXPECT_NE(map.error().find(" at byte "), std::string::npos) << map.error();
    }
  }
  // The error stands at the ":".
  EXPECT_TRUE(parse_frontmatter(repeat("k", 1100) + ": v")
                  .error()
                  .ends_with(" at byte 1100 line 1 column 1101"));
}

TEST(FrontmatterBounds, TextCopiedByAliasesIsBoundedByTheTextsSize) {
  // An anchored text of 1 000 bytes and `aliases` aliases to it: the anchor
  // and each alias copy it.
  auto copies_of_text = [](std::size_t aliases) {
    return "a: &x " + repeat("v", 1000) + "\nb: [*x" + repeat(",*x", aliases - 1) + "]";
  };
  auto fits = [&](std::size_t aliases) {
    std::size_t bound = ALIAS_TEXT_FACTOR * copies_of_text(aliases).size() + ALIAS_TEXT_ALLOWANCE;
    return 1000 * (aliases + 1) <= bound;
  };
  std::size_t most = 1;
  while (fits(most + 1)) ++most;
  EXPECT_TRUE(parse_frontmatter(copies_of_text(most)).has_value()) << most;
  EXPECT_EQ(parse_frontmatter(copies_of_text(most + 1)).error(), TOO_LARGE) << most;

  // 10 000 copies of a 100 KB text would be a gigabyte.
  std::string big = "a: &x " + repeat("v", 100'000) + "\nb: [*x" + repeat(",*x", 9'999) + "]";
  EXPECT_EQ(parse_frontmatter(big).error(), TOO_LARGE);
  // Keys count as text too.
  std::string keys = "a: &x {" + repeat("k", 100'000) + ": v}\nb: [*x" + repeat(",*x", 9'999) + "]";
  EXPECT_EQ(parse_frontmatter(keys).error(), TOO_LARGE);
}

TEST(FrontmatterBounds, NestingTooDeepEndsTheParse) {
  // The text after the bound is not read: its syntax error is not reported,
  // and an earlier receiver error stays the message.
  EXPECT_EQ(parse_frontmatter(repeat("- ", 1001) + "x\n]").error(), TOO_DEEP);
  EXPECT_EQ(parse_frontmatter("z: 1\nz: 2\nb:\n" + repeat("- ", 1001) + "x\n]").error(),
            "invalid YAML frontmatter: duplicated key in mapping: z");
  // Too many copies is a receiver error: the parser reads on.
  auto after_copies = parse_frontmatter(copies(1000) + "\n]");
  ASSERT_FALSE(after_copies);
  EXPECT_NE(after_copies.error(), TOO_LARGE);
  EXPECT_NE(after_copies.error().find(" at byte "), std::string::npos);
}

TEST(FrontmatterBounds, EmptyEntriesAreMendedWithinABound) {
  // Each empty indentless entry makes the text be read once more: at most
  // 100 times, and at most 8 MiB read again in all.
  constexpr const char* TOO_MANY = "invalid YAML frontmatter: too many empty nodes";
  auto outcome = [](std::string_view before, std::size_t entries) {
    auto map = parse_frontmatter(std::string(before) + "a:\n" + repeat("-\n", entries));
    if (!map) return map.error();
    std::string json;
    write_canonical_json(*map, json);
    return json;
  };
  auto nulls = [](std::size_t entries) { return "[" + repeat("null,", entries - 1) + "null]"; };
  EXPECT_EQ(outcome("", 100), "{\"a\":" + nulls(100) + "}");
  EXPECT_TRUE(outcome("", 101).starts_with(TOO_MANY));
  std::string value = repeat("v", (std::size_t{1} << 20) - 100);
  std::string long_entry = "x: " + value + "\n";
  EXPECT_EQ(outcome(long_entry, 8), "{\"a\":" + nulls(8) + ",\"x\":\"" + value + "\"}");
  EXPECT_TRUE(outcome(long_entry, 9).starts_with(TOO_MANY));
}

}  // namespace
}  // namespace zav
