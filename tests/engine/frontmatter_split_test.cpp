// Splitting the frontmatter block off the start of a text.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "engine/split/frontmatter_split.hpp"

namespace zav {
namespace {

struct SplitCase {
  std::string text;
  std::optional<std::pair<std::string, std::string>> expected;  // YAML text and body
};

TEST(SplitFrontmatter, FindsTheBlockAtTheStart) {
  const std::string bom = "\xEF\xBB\xBF";
  const SplitCase cases[] = {
      {"---\na: 1\n---\nbody\n", {{"a: 1", "body\n"}}},
      {"---\n---\n", {{"", ""}}},
      {"---\n---", {{"", ""}}},
      {"---\r\na: 1\r\nb: 2\r\n---\r\nbody", {{"a: 1\r\nb: 2", "body"}}},
      {"---\n\na\n\n---\n", {{"\na\n", ""}}},
      {"--- \t\na\n---  \nx", {{"a", "x"}}},
      {"---\na\n----\n---\n", {{"a\n----", ""}}},
      {"---\na\n...\nb\n---\nc\n---\n", {{"a\n...\nb", "c\n---\n"}}},
      {bom + "---\na\n---\n", {{"a", ""}}},
      {"---\na\n---\r", {{"a", ""}}},
      {"---\na: 1\n", std::nullopt},
      {"---", std::nullopt},
      {"", std::nullopt},
      {"\n---\na\n---\n", std::nullopt},
      {" ---\na\n---\n", std::nullopt},
      {"----\na\n---\n", std::nullopt},
      {bom + bom + "---\na\n---\n", std::nullopt},
      {"---\ra\r---\r", std::nullopt},
  };
  for (const auto& c : cases) {
    auto split = split_frontmatter(c.text);
    ASSERT_EQ(split.has_value(), c.expected.has_value()) << c.text;
    if (!split) continue;
    EXPECT_EQ(split->yaml, c.expected->first) << c.text;
    EXPECT_EQ(split->body, c.expected->second) << c.text;
  }
}

TEST(SplitFrontmatter, ReturnsPiecesOfTheInput) {
  std::string text = "---\na: 1\n---\nbody";
  auto split = split_frontmatter(text);
  ASSERT_TRUE(split);
  EXPECT_EQ(split->yaml.data(), text.data() + 4);
  EXPECT_EQ(split->body.data(), text.data() + 13);
}

TEST(FrontmatterDelimiter, AcceptsThreeDashesAndTrailingBlanksOnly) {
  for (std::string line : {"---", "---\n", "---\r\n", "---\r", "---\t \n"}) {
    EXPECT_TRUE(is_frontmatter_delimiter(line)) << line;
  }
  for (std::string line :
       {"", "\n", "\r\n", "--", "----", "--- x", "---\r\r\n", "...", " ---", "---\xC2\xA0"}) {
    EXPECT_FALSE(is_frontmatter_delimiter(line)) << line;
  }
}

}  // namespace
}  // namespace zav
