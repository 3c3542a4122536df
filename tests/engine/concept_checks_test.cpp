// Turning concept files into Concept records, LinkSources and diagnostics.
#include <gtest/gtest.h>

#include "engine/concepts/concept_checks.hpp"

namespace zav {
namespace {

struct Checked {
  std::vector<Concept> concepts;
  std::vector<LinkSource> sources;
  std::vector<Diagnostic> diagnostics;
};

Checked check(std::string relative, std::string content) {
  SourceFile file{std::move(content), "/r/" + relative, relative};
  Checked out;
  check_concept_file(file, out.concepts, out.sources, out.diagnostics);
  return out;
}

TEST(ConceptChecks, FieldsFromFrontmatter) {
  struct Case {
    std::string content;
    std::string type;
    std::optional<std::string> title, description;
    bool missing_type;
  };
  const Case cases[] = {
      {"---\ntype: '  note  '\ntitle: ''\ndescription: '  padded  '\n---\n", "note", "",
       "  padded  ", false},
      {"---\ntype: \" a b \"\ntitle: \"  spaced  \"\n---\n", "a b", "  spaced  ", std::nullopt,
       false},
      {"---\ntype: \"\xC2\xA0\"\n---\n", "", std::nullopt, std::nullopt, true},
      {"---\ntype: \"\xE3\x80\x80\"\n---\n", "", std::nullopt, std::nullopt, true},
      {"---\ntype: [a, b]\n---\n", "", std::nullopt, std::nullopt, true},
      {"---\ntype: {a: b}\n---\n", "", std::nullopt, std::nullopt, true},
      {"---\ntype: ~\ntitle: ~\n---\n", "", std::nullopt, std::nullopt, true},
      {"---\ntype: 42\n---\n", "42", std::nullopt, std::nullopt, false},
      {"---\ntype: true\ntitle: [x]\ndescription: {a: 1}\n---\n", "true", std::nullopt,
       std::nullopt, false},
      {"---\nType: note\n---\n", "", std::nullopt, std::nullopt, true},
      {"---\n---\n", "", std::nullopt, std::nullopt, true},
  };
  for (const auto& c : cases) {
    Checked out = check("notes/rev.2/x.MD", c.content);
    ASSERT_EQ(out.concepts.size(), 1u) << c.content;
    const Concept& record = out.concepts[0];
    EXPECT_EQ(record.concept_type, c.type) << c.content;
    EXPECT_EQ(record.title, c.title) << c.content;
    EXPECT_EQ(record.description, c.description) << c.content;
    EXPECT_EQ(record.concept_id, "notes/rev.2/x");
    EXPECT_EQ(record.logical_key, "notes/rev.2/x");
    EXPECT_EQ(record.path, "notes/rev.2/x.MD");
    EXPECT_TRUE(out.sources.empty()) << "a concept without links has no link source";
    if (c.missing_type) {
      ASSERT_EQ(out.diagnostics.size(), 1u) << c.content;
      EXPECT_EQ(out.diagnostics[0].code, "ZAV002");
      EXPECT_EQ(out.diagnostics[0].message, "frontmatter must contain a non-empty string type");
    } else {
      EXPECT_TRUE(out.diagnostics.empty()) << c.content;
    }
  }
}

TEST(ConceptChecks, DigestsAndJsonOfOneConcept) {
  Checked out = check("a.md", "---\ntype: note\n---\nHello\n[x](b.md)\n");
  ASSERT_EQ(out.concepts.size(), 1u);
  const Concept& record = out.concepts[0];
  EXPECT_EQ(record.frontmatter_json, R"({"type":"note"})");
  EXPECT_EQ(record.body, "Hello\n[x](b.md)\n");
  ASSERT_EQ(out.sources.size(), 1u);
  EXPECT_EQ(out.sources[0].concept_index, 0u);
  EXPECT_EQ(out.sources[0].absolute_path, "/r/a.md");
  EXPECT_EQ(out.sources[0].links, std::vector<std::string>{"b.md"});
  Checked hello = check("a.md", "---\ntype: note\n---\nHello\n");
  EXPECT_EQ(hello.concepts[0].parsed_digest,
            "zav-parsed-v1-jcs-sha256:"
            "6fce902f66c8d4dc43b3e2b126f5bf7f88607940e3807fcd05b9595dc8564b51");
  EXPECT_EQ(hello.concepts[0].source_digest,
            "sha256:8278741e630a46470bb35a7ef8d923aa44f2cbb47f4c5e6da1818668b353445c");
}

TEST(ConceptChecks, LineEndsAndByteOrderMarkReachOnlyTheSourceDigest) {
  const std::string lf = "---\ntype: note\ntitle: T\n---\nBody line\n[b](lf.md)\n";
  const std::string variants[] = {
      "---\r\ntype: note\r\ntitle: T\r\n---\r\nBody line\r\n[b](lf.md)\r\n",
      "---\rtype: note\rtitle: T\r---\rBody line\r[b](lf.md)\r",
      "\xEF\xBB\xBF" + lf,
  };
  const Concept base = check("lf.md", lf).concepts.at(0);
  for (const auto& text : variants) {
    Checked out = check("x.md", text);
    ASSERT_EQ(out.concepts.size(), 1u);
    EXPECT_EQ(out.concepts[0].body, base.body);
    EXPECT_EQ(out.concepts[0].frontmatter_json, base.frontmatter_json);
    EXPECT_EQ(out.concepts[0].parsed_digest, base.parsed_digest);
    EXPECT_NE(out.concepts[0].source_digest, base.source_digest);
    ASSERT_EQ(out.sources.size(), 1u);
    EXPECT_EQ(out.sources[0].links, std::vector<std::string>{"lf.md"});
  }
}

TEST(ConceptChecks, RejectedFilesGiveOneDiagnosticOnly) {
  struct Case {
    std::string content;
    std::string message;
  };
  const Case cases[] = {
      {"no delimiter\n", "concept must start with YAML frontmatter delimited by ---"},
      {"---\ntype: x\n", "concept must start with YAML frontmatter delimited by ---"},
      {"\n---\ntype: x\n---\n", "concept must start with YAML frontmatter delimited by ---"},
      {"---\n- a\n---\n", "frontmatter must be a YAML mapping"},
      {"---\nplain\n---\n", "frontmatter must be a YAML mapping"},
      {"---\na: 1\na: 2\n---\n", "invalid YAML frontmatter: duplicated key in mapping: a"},
  };
  for (const auto& c : cases) {
    Checked out = check("bad.md", c.content);
    EXPECT_TRUE(out.concepts.empty()) << c.content;
    EXPECT_TRUE(out.sources.empty()) << c.content;
    ASSERT_EQ(out.diagnostics.size(), 1u) << c.content;
    EXPECT_EQ(out.diagnostics[0].code, "ZAV001");
    EXPECT_EQ(out.diagnostics[0].severity, "error");
    EXPECT_EQ(out.diagnostics[0].path, "bad.md");
    EXPECT_EQ(out.diagnostics[0].message, c.message);
  }
}

TEST(ConceptChecks, NormalizeLineEnds) {
  EXPECT_EQ(normalize_line_ends("a\r\nb\rc\nd\r\r\ne\r"), "a\nb\nc\nd\n\ne\n");
  EXPECT_EQ(normalize_line_ends(""), "");
}

}  // namespace
}  // namespace zav
