// Resolving link destinations to bundle paths, and the records and warnings
// that come of them.
#include <gtest/gtest.h>

#include "engine/links/link_resolution.hpp"

namespace zav {
namespace {

TEST(ResolveLinkTarget, FromRootAndFromSubdirectory) {
  struct Case {
    const char* source;
    std::string destination;
    std::optional<std::string> target;
  };
  const Case cases[] = {
      {"/r/a.md", "other.md", "/r/other.md"},
      {"/r/a.md", "./other.md", "/r/other.md"},
      {"/r/a.md", "sub/../other.md", "/r/other.md"},
      {"/r/a.md", "/other.md", "/r/other.md"},
      {"/r/sub/a.md", "other.md", "/r/sub/other.md"},
      {"/r/sub/a.md", "/other.md", "/r/other.md"},
      {"/r/a.md", "other.md#intro", "/r/other.md"},
      {"/r/a.md", "other.md?x=1#y", "/r/other.md"},
      {"/r/a.md", "Other.MD", "/r/Other.MD"},
      {"/r/a.md", ".md", "/r/.md"},
      {"/r/a.md", "dir/a:b.md", "/r/dir/a:b.md"},
      {"/r/a.md", "/a:b.md", "/r/a:b.md"},
      {"/r/a.md", "a%20b.md", "/r/a b.md"},
      {"/r/a.md", "a+b.md", "/r/a+b.md"},
      {"/r/a.md", "%zz.md", "/r/%zz.md"},
      {"/r/a.md", "%2541.md", "/r/%41.md"},
      {"/r/a.md", "%2Fx.md", "/r/x.md"},
      {"/r/a.md", "/%2Fx.md", "/r/x.md"},
      {"/r/a.md", "x%2.md", "/r/x%2.md"},
      {"/r/a.md", "../r/x.md", "/r/x.md"},  // leaves the root and comes back
      {"/r/a.md", "../../../r/x.md", "/r/x.md"},
      {"/r/a.md", "a.md/", std::nullopt},
      {"/r/a.md", "a.markdown", std::nullopt},
      {"/r/a.md", "x%2Emd", std::nullopt},  // tested before decoding
      {"/r/a.md", "%FF.md", std::nullopt},  // not UTF-8 once decoded
      {"/r/a.md", "#intro", std::nullopt},
      {"/r/a.md", "?x", std::nullopt},
      {"/r/a.md", "", std::nullopt},
      {"/r/a.md", "//share/x.md", std::nullopt},
      {"/r/a.md", "mailto:x.md", std::nullopt},
      {"/r/a.md", "C:/x.md", std::nullopt},
      {"/r/a.md", "https://example.org/x.md", std::nullopt},
      {"/r/a.md", "../x.md", std::nullopt},
      {"/r/a.md", "../rx/x.md", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(resolve_link_target("/r", c.source, c.destination), c.target) << c.destination;
  }
}

TEST(ResolveLinkTarget, RootThatIsTheFileSystemRoot) {
  EXPECT_EQ(resolve_link_target("/", "/a.md", "../../x.md"), "/x.md");
  EXPECT_EQ(resolve_link_target("/", "/d/a.md", "../e/x.md"), "/e/x.md");
  EXPECT_EQ(resolve_link_target("/", "/d/a.md", "/x.md"), "/x.md");
}

Concept concept_at(std::string path, std::string id) {
  Concept c;
  c.path = std::move(path);
  c.concept_id = c.logical_key = std::move(id);
  return c;
}

TEST(ResolveLocalLinks, RecordsTargetsExistenceAndWarnings) {
  std::vector<Concept> concepts = {concept_at("a.md", "a"), concept_at("sub/b.md", "sub/b")};
  std::vector<LinkSource> sources = {
      {0,
       "/r/a.md",
       {"sub/b.md", "a.md", "index.md", "gone.md#x", "https://x.org", "broken.md", "gone.md#x"}},
      {1, "/r/sub/b.md", {"../a.md", "log.md"}},
  };
  KnownPaths known;
  for (auto* path : {"/r/a.md", "/r/sub/b.md", "/r/index.md", "/r/broken.md", "/r/sub/log.md"}) {
    known.insert(path);
  }
  std::vector<Link> links;
  std::vector<Diagnostic> diagnostics;
  resolve_local_links("/r", concepts, sources, known, links, diagnostics);

  struct Expected {
    const char* source_id;
    const char* raw_target;
    std::optional<std::string> target_id;
    bool exists;
  };
  const Expected expected[] = {
      {"a", "sub/b.md", "sub/b", true},       {"a", "a.md", "a", true},
      {"a", "index.md", std::nullopt, true},  {"a", "gone.md#x", std::nullopt, false},
      {"a", "broken.md", std::nullopt, true}, {"a", "gone.md#x", std::nullopt, false},
      {"sub/b", "../a.md", "a", true},        {"sub/b", "log.md", std::nullopt, true},
  };
  ASSERT_EQ(links.size(), std::size(expected));
  for (std::size_t i = 0; i < links.size(); ++i) {
    EXPECT_EQ(links[i].source_id, expected[i].source_id) << i;
    EXPECT_EQ(links[i].raw_target, expected[i].raw_target) << i;
    EXPECT_EQ(links[i].target_id, expected[i].target_id) << i;
    EXPECT_EQ(links[i].exists, expected[i].exists) << i;
    EXPECT_EQ(links[i].origin, "body");
  }
  ASSERT_EQ(diagnostics.size(), 2u);
  for (const auto& d : diagnostics) {
    EXPECT_EQ(d.code, "ZAV101");
    EXPECT_EQ(d.severity, "warning");
    EXPECT_EQ(d.path, "a.md");
    EXPECT_EQ(d.message, "local Markdown link does not resolve: gone.md#x");
  }
}

TEST(ResolveLocalLinks, BackslashNamedConceptIsNoTarget) {
  // The file a\b.md has the bundle path a/b.md, so its index key is /r/a/b.md.
  std::vector<Concept> concepts = {concept_at("a/b.md", "a/b"), concept_at("c.md", "c")};
  std::vector<LinkSource> sources = {{1, "/r/c.md", {"a%5Cb.md"}}};
  KnownPaths known;
  known.insert("/r/a\\b.md");
  known.insert("/r/c.md");
  std::vector<Link> links;
  std::vector<Diagnostic> diagnostics;
  resolve_local_links("/r", concepts, sources, known, links, diagnostics);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_TRUE(links[0].exists);
  EXPECT_EQ(links[0].target_id, std::nullopt);
  EXPECT_TRUE(diagnostics.empty());
}

}  // namespace
}  // namespace zav
