// The JSON writers: string escapes, the load document and the facts document,
// byte for byte.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "facts/facts_command.hpp"
#include "json_output.hpp"
#include "load/load_command.hpp"
#include "output_test_support.hpp"

namespace zav::test {
namespace {

std::string json_string(std::string_view text) {
  MemoryStream out;
  JsonWriter writer(out.stream);
  write_json_string(writer, text);
  return out.document();
}

TEST(JsonString, Escapes) {
  struct Case {
    std::string text;
    std::string json;
  };
  const std::vector<Case> cases = {
      {"", "\"\""},
      {"plain text", "\"plain text\""},
      {"\"", "\"\\\"\""},
      {"\\", "\"\\\\\""},
      {"\b\t\n\f\r", "\"\\b\\t\\n\\f\\r\""},
      {std::string("\x00\x01\x07", 3), "\"\\u0000\\u0001\\u0007\""},
      {"\x0b\x0e\x1b\x1f", "\"\\u000b\\u000e\\u001b\\u001f\""},
      {"a/b\x7f", "\"a/b\x7f\""},
      {"\xc3\xa9\xe2\x80\xa8\xe2\x80\xa9\xf0\x9f\x98\x80",
       "\"\xc3\xa9\xe2\x80\xa8\xe2\x80\xa9\xf0\x9f\x98\x80\""},
      {" !#~", "\" !#~\""},
      {"x\r\ny\"\"z\\", "\"x\\r\\ny\\\"\\\"z\\\\\""},
      {"{\"type\":\"note\"}", "\"{\\\"type\\\":\\\"note\\\"}\""},
  };
  for (const auto& c : cases) EXPECT_EQ(json_string(c.text), c.json) << c.json;
}

TEST(JsonString, RunWithoutEscapesIsOnePiece) {
  // Handed over as one piece, a run of 2000 bytes goes straight to the
  // descriptor behind the opening quote; only the closing quote stays.
  MemoryStream out;
  JsonWriter writer(out.stream);
  write_json_string(writer, std::string(2000, 'x'));
  EXPECT_EQ(out.descriptor.contents().size(), 2001u);
  EXPECT_EQ(buffered(out.stream), 1u);
}

std::string bundle_document(const Bundle& bundle) {
  MemoryStream out;
  EXPECT_TRUE(write_bundle_json(bundle, out.stream).has_value());
  return out.document();
}

TEST(LoadDocument, EmptyBundle) {
  Bundle bundle;
  bundle.root = "/srv/b";
  EXPECT_EQ(bundle_document(bundle),
            "{\"root\":\"/srv/b\",\"concepts\":[],\"reserved\":[],\"links\":[],\"diagnostics\":[],"
            "\"markdown_count\":0}");
}

TEST(LoadDocument, EveryRecordKind) {
  Bundle bundle;
  bundle.root = "/srv/b\xc3\xa9";
  bundle.concepts.push_back(Concept{
      .concept_id = "notes/a",
      .logical_key = "notes/a",
      .path = "notes/a.md",
      .concept_type = "note",
      .title = std::nullopt,
      .description = std::nullopt,
      .source_digest = "sha256:0b0e",
      .parsed_digest = "zav-parsed-v1-jcs-sha256:560e",
      .frontmatter_json = "{\"type\":\"note\"}",
      .body = "# A\r\n\tx\x0b\x1f\x7f/\xc3\xa9\n",
  });
  bundle.concepts.push_back(Concept{
      .concept_id = "b",
      .logical_key = "b",
      .path = "b.MD",
      .concept_type = "",
      .title = "",
      .description = "About \"b\"",
      .source_digest = "s",
      .parsed_digest = "p",
      .frontmatter_json = "{}",
      .body = "",
  });
  bundle.reserved.push_back(ReservedFile{"index.md", "index.md", "# Home\n"});
  bundle.links.push_back(Link{"notes/a", "b.md", std::nullopt, false, "body"});
  bundle.links.push_back(Link{"notes/a", "../b.MD", "b", true, "body"});
  bundle.links.push_back(Link{"notes/a", "../b.MD", "b", true, "body"});
  bundle.diagnostics.push_back(
      Diagnostic{"ZAV002", "error", "b.MD", "frontmatter must contain a non-empty string type"});
  bundle.diagnostics.push_back(
      Diagnostic{"ZAV101", "warning", "notes/a.md", "local Markdown link does not resolve: b.md"});
  bundle.markdown_count = 18446744073709551615u;
  EXPECT_EQ(
      bundle_document(bundle),
      "{\"root\":\"/srv/b\xc3\xa9\","
      "\"concepts\":["
      "{\"concept_id\":\"notes/a\",\"logical_key\":\"notes/a\",\"path\":\"notes/a.md\","
      "\"concept_type\":\"note\",\"title\":null,\"description\":null,"
      "\"source_digest\":\"sha256:0b0e\",\"parsed_digest\":\"zav-parsed-v1-jcs-sha256:560e\","
      "\"frontmatter_json\":\"{\\\"type\\\":\\\"note\\\"}\","
      "\"body\":\"# A\\r\\n\\tx\\u000b\\u001f\x7f/\xc3\xa9\\n\"},"
      "{\"concept_id\":\"b\",\"logical_key\":\"b\",\"path\":\"b.MD\",\"concept_type\":\"\","
      "\"title\":\"\",\"description\":\"About \\\"b\\\"\",\"source_digest\":\"s\","
      "\"parsed_digest\":\"p\",\"frontmatter_json\":\"{}\",\"body\":\"\"}],"
      "\"reserved\":[{\"path\":\"index.md\",\"filename\":\"index.md\",\"body\":\"# Home\\n\"}],"
      "\"links\":["
      "{\"source_id\":\"notes/a\",\"raw_target\":\"b.md\",\"target_id\":null,\"exists\":false,"
      "\"origin\":\"body\"},"
      "{\"source_id\":\"notes/a\",\"raw_target\":\"../b.MD\",\"target_id\":\"b\",\"exists\":true,"
      "\"origin\":\"body\"},"
      "{\"source_id\":\"notes/a\",\"raw_target\":\"../b.MD\",\"target_id\":\"b\",\"exists\":true,"
      "\"origin\":\"body\"}],"
      "\"diagnostics\":["
      "{\"code\":\"ZAV002\",\"severity\":\"error\",\"path\":\"b.MD\","
      "\"message\":\"frontmatter must contain a non-empty string type\"},"
      "{\"code\":\"ZAV101\",\"severity\":\"warning\",\"path\":\"notes/a.md\","
      "\"message\":\"local Markdown link does not resolve: b.md\"}],"
      "\"markdown_count\":18446744073709551615}");
}

// Where a document is cut into writes: the buffer sends its bytes only when
// the next piece does not fit. A member begins with the pieces comma,
// quotation mark, key, quotation mark and colon, so a cut can fall inside
// them. The bundle has one concept whose body sets the document's size.
TEST(LoadDocument, WritesEndWhereTheNextPieceDoesNotFit) {
  struct Row {
    std::size_t document_size;
    std::vector<std::size_t> writes;
    const char* last_piece_in_the_buffer;
  };
  // The document ends with ...],"markdown_count":1}
  const std::vector<Row> rows = {
      {1026, {1024, 2}, "the colon after the last key, which fills it"},
      {1027, {1024, 3}, "the quotation mark that closes the key, which fills it"},
      {1028, {1024, 4}, "the key's text, which fills it"},
      {1029, {1011, 18}, "the quotation mark that opens the key: its text does not fit"},
  };
  Bundle bundle;
  bundle.root = "/b";
  bundle.concepts.resize(1);
  bundle.markdown_count = 1;
  const std::size_t without_body = bundle_document(bundle).size();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.last_piece_in_the_buffer);
    bundle.concepts[0].body = std::string(row.document_size - without_body, 'x');
    PacketStream out;
    ASSERT_TRUE(write_bundle_json(bundle, out.stream).has_value());
    EXPECT_EQ(out.writes(), row.writes);
  }
}

TEST(LoadDocument, WriteFailureIsTheCommandError) {
  std::signal(SIGPIPE, SIG_IGN);
  Bundle small;
  Bundle large;
  large.concepts.resize(1);
  large.concepts[0].body = std::string(5000, 'x');
  for (const Bundle* bundle : {&small, &large}) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    OutputStream stream(ends[1]);
    // A document that fits the buffer fails only at the final flush.
    CommandResult result = end_document(write_bundle_json(*bundle, stream), stream);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().message, "Broken pipe (os error 32)");
    ::close(ends[1]);
  }
}

TEST(FactsDocument, ObjectsInInputOrder) {
  auto facts_document = [](const std::vector<MarkdownFacts>& facts) {
    MemoryStream out;
    EXPECT_TRUE(write_facts_json(facts, out.stream).has_value());
    return out.document();
  };
  EXPECT_EQ(facts_document({}), "[]");
  std::vector<MarkdownFacts> facts(3);
  facts[0].links = {"a.md", "b.md"};
  facts[0].headings = {Heading{1, "Title"}};
  facts[2].links = {"x \"y\".md"};
  facts[2].headings = {Heading{2, ""}, Heading{6, "tab\there"}};
  EXPECT_EQ(facts_document(facts),
            "[{\"links\":[\"a.md\",\"b.md\"],\"headings\":[[1,\"Title\"]]},"
            "{\"links\":[],\"headings\":[]},"
            "{\"links\":[\"x \\\"y\\\".md\"],\"headings\":[[2,\"\"],[6,\"tab\\there\"]]}]");
}

// The facts document's keys go as their pieces too: here the quotation mark
// that closes the second object's "links" fills the buffer, and the colon
// after it starts the next write.
TEST(FactsDocument, WritesEndWhereTheNextPieceDoesNotFit) {
  const std::string before_link = "[{\"links\":[\"";
  const std::string after_link = "\"],\"headings\":[]},{\"links\"";
  std::vector<MarkdownFacts> facts(2);
  facts[0].links = {std::string(1024 - before_link.size() - after_link.size(), 'a')};
  facts[1].links = {"b"};
  facts[1].headings = {Heading{1, "T"}};
  PacketStream out;
  ASSERT_TRUE(write_facts_json(facts, out.stream).has_value());
  const std::string rest = ":[\"b\"],\"headings\":[[1,\"T\"]]}]";
  EXPECT_EQ(out.writes(), (std::vector<std::size_t>{1024, rest.size()}));
}

}  // namespace
}  // namespace zav::test
