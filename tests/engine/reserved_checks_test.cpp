// index.md and log.md: their records, bodies and diagnostics.
#include <gtest/gtest.h>
#include <algorithm>

#include "engine/records/bundle_path.hpp"
#include "engine/records/diagnostics.hpp"
#include "engine/reserved/reserved_checks.hpp"

namespace zav {
namespace {

struct Expected {
  std::string relative;
  std::string content;
  std::string body;
  std::vector<std::pair<std::string, std::string>> diagnostics;  // code, message
};

TEST(ReservedChecks, BodiesAndDiagnostics) {
  const std::string bom = "\xEF\xBB\xBF";
  const Expected cases[] = {
      {"index.md", "---\nzav_version: anything\n---\n# Home\n", "# Home\n", {}},
      {"index.md", "---\n---\n# Home\n", "# Home\n", {}},
      {"index.md",
       "---\nzav_version: 1\ntitle: x\n---\n# Home\n",
       "# Home\n",
       {{"ZAV004", "root index.md frontmatter may contain only zav_version"}}},
      {"s1/index.md",
       "---\nzav_version: 1\n---\n# Home\n",
       "# Home\n",
       {{"ZAV004", "only the bundle-root index.md may contain frontmatter"}}},
      {"s2/index.md",
       "---\ntitle: x\n---\n#\n",
       "#\n",
       {{"ZAV004", "only the bundle-root index.md may contain frontmatter"},
        {"ZAV005", "index.md must contain at least one level-one section"}}},
      {"s3/index.md",
       "---\nnot closed\n",
       "---\nnot closed\n",
       {{"ZAV004", "invalid YAML frontmatter delimiters"}}},
      {"s4/index.md", bom + "# Home\n", "# Home\n", {}},
      {"s5/index.md",
       "#\n\n## Sub\n",
       "#\n\n## Sub\n",
       {{"ZAV005", "index.md must contain at least one level-one section"}}},
      {"s6/index.md",
       "---\r\n---\r\n# Home\r\n",
       "# Home\r\n",
       {{"ZAV004", "only the bundle-root index.md may contain frontmatter"}}},
      {"s7/index.md",
       "---x\n# t\n",
       "---x\n# t\n",
       {{"ZAV004", "invalid YAML frontmatter delimiters"}}},
      {"s8/index.md",
       bom + "---\na: 1\na: 2\n---\n# t\n",
       bom + "---\na: 1\na: 2\n---\n# t\n",
       {{"ZAV004", "invalid YAML frontmatter: duplicated key in mapping: a"}}},
      {"log.md",
       "----\n# Old\n",
       "----\n# Old\n",
       {{"ZAV006", "invalid YAML frontmatter delimiters"}}},
      {"l1/log.md",
       "---\ntitle: x\n---\n# Log\n\n## 2024-03-01\n",
       "# Log\n\n## 2024-03-01\n",
       {{"ZAV006", "log.md must not contain frontmatter"}}},
      {"l2/log.md",
       "# Log\n\n## 2024-03-01\n\n## 2024-03-01\n\n## 2024-01-15\n",
       "# Log\n\n## 2024-03-01\n\n## 2024-03-01\n\n## 2024-01-15\n",
       {}},
      {"l3/log.md",
       "# Log\n\n## 2024-01-15\n\n## 2024-03-01\n\n## 2024-04-01\n",
       "# Log\n\n## 2024-01-15\n\n## 2024-03-01\n\n## 2024-04-01\n",
       {{"ZAV009", "log date groups must be ordered newest first"}}},
      {"l4/log.md",
       "# Log\n\n## 2023-02-29\n\n## 2024-02-29\n\n## 2024-13-01\n\n## 2024-00-10\n",
       "# Log\n\n## 2023-02-29\n\n## 2024-02-29\n\n## 2024-13-01\n\n## 2024-00-10\n",
       {{"ZAV008", "log date heading is not a real date: 2023-02-29"},
        {"ZAV008", "log date heading is not a real date: 2024-00-10"},
        {"ZAV008", "log date heading is not a real date: 2024-13-01"}}},
      {"l5/log.md",
       "## 2024-1-5\n\n## Notes\n\n## 2024- 1- 5\n\n## +202-01-01\n\n## 2024-01-0a\n\n"
       "[x](missing.md)\n",
       "## 2024-1-5\n\n## Notes\n\n## 2024- 1- 5\n\n## +202-01-01\n\n## 2024-01-0a\n\n"
       "[x](missing.md)\n",
       {{"ZAV007", "log.md must contain a level-one title"},
        {"ZAV008", "log date heading is not a real date: 2024-01-0a"},
        {"ZAV008", "log date heading must use YYYY-MM-DD: 2024-1-5"},
        {"ZAV008", "log date heading must use YYYY-MM-DD: Notes"}}},
      {"l6/log.md", "# Log\r\n\r\n## 2024-01-01\r\n", "# Log\r\n\r\n## 2024-01-01\r\n", {}},
      {"l7/log.md",
       bom + "---\n---\n#   \n",
       "#   \n",
       {{"ZAV006", "log.md must not contain frontmatter"},
        {"ZAV007", "log.md must contain a level-one title"}}},
  };
  for (const auto& c : cases) {
    SourceFile file{c.content, "/r/" + c.relative, c.relative};
    std::vector<ReservedFile> reserved;
    std::vector<Diagnostic> diagnostics;
    check_reserved_file(file, "/r", reserved, diagnostics);
    ASSERT_EQ(reserved.size(), 1u);
    EXPECT_EQ(reserved[0].path, c.relative);
    EXPECT_EQ(reserved[0].filename, c.relative.substr(c.relative.rfind('/') + 1));
    EXPECT_EQ(reserved[0].body, c.body) << c.relative;
    std::stable_sort(diagnostics.begin(), diagnostics.end(), compare_diagnostics);
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& d : diagnostics) {
      EXPECT_EQ(d.path, c.relative);
      EXPECT_EQ(d.severity, "error");
      found.emplace_back(d.code, d.message);
    }
    EXPECT_EQ(found, c.diagnostics) << c.relative;
  }
}

TEST(ReservedChecks, RootTestComparesPiecesAndNamesAreExact) {
  std::vector<ReservedFile> reserved;
  std::vector<Diagnostic> diagnostics;
  // The root given with a trailing "/" is still the root.
  check_reserved_file(SourceFile{"---\n---\n# H\n", "/r/index.md", "index.md"}, "/r/", reserved,
                      diagnostics);
  EXPECT_TRUE(diagnostics.empty());
  EXPECT_TRUE(is_reserved_file_name("index.md"));
  EXPECT_TRUE(is_reserved_file_name("log.md"));
  for (const char* name : {"Index.md", "log.MD", "INDEX.md", "index.md ", "xindex.md"}) {
    EXPECT_FALSE(is_reserved_file_name(name)) << name;
  }
  EXPECT_FALSE(has_non_version_key(JsonMap{}));
  EXPECT_FALSE(has_non_version_key(JsonMap{{"zav_version", JsonValue{}}}));
  EXPECT_TRUE(has_non_version_key(JsonMap{{"zav_version", JsonValue{}}, {"x", JsonValue{}}}));
}

}  // namespace
}  // namespace zav
