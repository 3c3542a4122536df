// Digest texts over byte strings, and the parsed digest of a frontmatter map
// with its body.
#include <gtest/gtest.h>

#include <string>

#include "engine/digest/digest.hpp"
#include "yaml/canonical_json.hpp"
#include "yaml/frontmatter_yaml.hpp"

namespace zav {
namespace {

TEST(PrefixedDigest, SpellsTheSha256InLowerCaseHex) {
  EXPECT_EQ(prefixed_digest(SOURCE_DIGEST_PREFIX, ""),
            "sha256:e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(prefixed_digest(SOURCE_DIGEST_PREFIX, "abc"),
            "sha256:ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  std::string with_nul("a\0b", 3);
  std::string digest = prefixed_digest(PARSED_DIGEST_PREFIX, with_nul);
  ASSERT_EQ(digest.size(), 89u);
  EXPECT_TRUE(digest.starts_with("zav-parsed-v1-jcs-sha256:"));
  EXPECT_EQ(digest.substr(25).find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(digest, prefixed_digest(PARSED_DIGEST_PREFIX, "ab"));
}

// The text hashed for the parsed digest: the canonical JSON of [map, body].
std::string parsed_text(const JsonMap& map, const std::string& body) {
  std::string text = "[";
  write_canonical_json(map, text);
  text += ",";
  write_canonical_json(JsonValue{body}, text);
  return text + "]";
}

TEST(PrefixedDigest, ParsedDigestCoversFrontmatterAndBody) {
  auto map = parse_frontmatter("type: note");
  ASSERT_TRUE(map);
  std::string hashed = parsed_text(*map, "Hello\n");
  EXPECT_EQ(hashed, R"([{"type":"note"},"Hello\n"])");
  EXPECT_EQ(prefixed_digest(PARSED_DIGEST_PREFIX, hashed),
            "zav-parsed-v1-jcs-sha256:"
            "6fce902f66c8d4dc43b3e2b126f5bf7f88607940e3807fcd05b9595dc8564b51");
  EXPECT_EQ(parsed_text({}, ""), R"([{},""])");
}

TEST(PrefixedDigest, ParsedDigestStreamsThePairsText) {
  // Bodies with escapes, and longer than the stream's buffer, hash as their whole text does.
  auto map = parse_frontmatter("type: note\ntags: [a, \"b\\tc\"]");
  ASSERT_TRUE(map);
  std::string json;
  write_canonical_json(*map, json);
  for (const std::string& body :
       {std::string(), std::string("Hello\n"),
        std::string("q\"b\\\x01\x1f\x7f") + std::string(9000, 'x') + "\r\n"}) {
    EXPECT_EQ(parsed_digest(json, body),
              prefixed_digest(PARSED_DIGEST_PREFIX, parsed_text(*map, body)))
        << body.size();
  }
}

TEST(PrefixedDigest, KeyOrderAndLineEndsOfTheSourceDoNotMatter) {
  auto lf = parse_frontmatter("b: 1\na: |\n  x\n  y");
  auto crlf = parse_frontmatter("a: |\r\n  x\r\n  y\r\nb: 1");
  ASSERT_TRUE(lf && crlf);
  EXPECT_EQ(parsed_text(*lf, "z"), parsed_text(*crlf, "z"));
  EXPECT_NE(prefixed_digest(SOURCE_DIGEST_PREFIX, "b: 1\n"),
            prefixed_digest(SOURCE_DIGEST_PREFIX, "b: 1\r\n"));
}

}  // namespace
}  // namespace zav
