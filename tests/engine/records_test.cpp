// Diagnostic order, bundle-relative paths and logical keys.
#include <gtest/gtest.h>
#include <algorithm>
#include <random>

#include "engine/records/bundle_path.hpp"
#include "engine/records/diagnostics.hpp"

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

// Two parts, each in the order of its files as a load makes them, end in the
// same order as a sort of the whole list: in order or not, files in discovery
// order ("a/b.md" before "a-b.md"), a file's diagnostics out of order,
// repeats, empty parts.
TEST(DiagnosticOrder, SortingTwoPartsFileByFileEqualsSortingTheWhole) {
  const std::vector<std::string> paths = {"a.md", "a/b.md", "a-b.md", "b.md", "b/c/d.md", "z.md"};
  const std::vector<std::string> codes = {"ZAV001", "ZAV002", "ZAV101"};
  std::mt19937 random(7);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  for (int round = 0; round < 2000; ++round) {
    std::vector<Diagnostic> list;
    std::size_t second_part = 0;
    for (int part = 0; part < 2; ++part) {
      if (part == 1) second_part = list.size();
      std::size_t file = pick(2);
      for (std::size_t count = pick(12); count > 0; --count) {
        if (pick(3) == 0) file = std::min(file + 1 + pick(2), paths.size() - 1);
        if (pick(20) == 0) file = pick(paths.size());  // now and then out of order
        std::string code = codes[pick(codes.size())];
        list.push_back(make(paths[file], code == "ZAV101" ? "warning" : "error", code,
                            "message " + std::to_string(pick(4))));
      }
    }
    std::vector<Diagnostic> expected = list;
    std::stable_sort(expected.begin(), expected.end(), compare_diagnostics);
    sort_diagnostics(list, second_part);
    ASSERT_EQ(list, expected) << "round " << round;
  }
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
