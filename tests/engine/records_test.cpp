// Diagnostic order, bundle-relative paths and logical keys.
#include <gtest/gtest.h>
#include <algorithm>

#include "engine/bundle_path.hpp"
#include "engine/diagnostics.hpp"

namespace zav {
namespace {

Diagnostic make(std::string path, std::string severity = "error", std::string code = "ZAV001",
                std::string message = "m") {
  return Diagnostic::new_(code, severity, path, message);
}

std::vector<std::string> sorted_paths(std::vector<Diagnostic> list) {
  std::stable_sort(list.begin(), list.end(), compare_diagnostics);
  std::vector<std::string> paths;
  for (const auto& d : list) paths.push_back(d.path + "|" + d.severity + "|" + d.message);
  return paths;
}

TEST(DiagnosticOrder, ComparesPathSeverityCodeMessageAsBytes) {
  EXPECT_EQ(sorted_paths({make("a/b.md"), make("a-b.md"), make("a.md")}),
            (std::vector<std::string>{"a-b.md|error|m", "a.md|error|m", "a/b.md|error|m"}));
  EXPECT_EQ(sorted_paths({make("a.md"), make("B.md"), make("\xC3\xA9.md"), make("z.md")}),
            (std::vector<std::string>{"B.md|error|m", "a.md|error|m", "z.md|error|m",
                                      "\xC3\xA9.md|error|m"}));
  EXPECT_EQ(sorted_paths({make("a.md", "warning", "ZAV101"), make("a.md", "error", "ZAV009")}),
            (std::vector<std::string>{"a.md|error|m", "a.md|warning|m"}));
  EXPECT_EQ(
      sorted_paths({make("a.md", "error", "ZAV001", "x y"), make("a.md", "error", "ZAV001", "x")}),
      (std::vector<std::string>{"a.md|error|x", "a.md|error|x y"}));
}

TEST(DiagnosticBuilders, FixErrorSeverity) {
  Diagnostic d = Diagnostic::error("ZAV002", "a.md", "text");
  EXPECT_EQ(d.code, "ZAV002");
  EXPECT_EQ(d.severity, "error");
  EXPECT_EQ(d.path, "a.md");
  EXPECT_EQ(d.message, "text");
}

TEST(BundleRelativePath, StripsRootRepairsUtf8AndTurnsBackslashes) {
  struct Case {
    const char* root;
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {"/r", "/r/notes/a.md", "notes/a.md"},
      {"/r", "/r/a\\b.md", "a/b.md"},
      {"/r", std::string("/r/x\xFF/a.md"), "x\xEF\xBF\xBD/a.md"},
      {"/r", std::string("/r/\xE0\xA0/a.md"), "\xEF\xBF\xBD/a.md"},  // one maximal subpart
      {"/r", std::string("/r/\xF0\x9F\x98\x80.md"), "\xF0\x9F\x98\x80.md"},
      {"/", "/top.md", "top.md"},
      {"/a/b", "/a/b/c/d.md", "c/d.md"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(bundle_relative_path(c.root, c.path), c.expected) << c.path;
  }
}

TEST(LogicalKey, CutsAtLastDot) {
  EXPECT_EQ(logical_key("notes/a.md"), "notes/a");
  EXPECT_EQ(logical_key("notes.old/B.MD"), "notes.old/B");
  EXPECT_EQ(logical_key("notes/rev.2/x.md"), "notes/rev.2/x");
  EXPECT_EQ(logical_key("a/b"), "a/b");
  EXPECT_EQ(logical_key(".md"), "");
}

}  // namespace
}  // namespace zav
