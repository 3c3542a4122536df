// Digest texts: a prefix and the 64 lower-case hex digits of a SHA-256 value.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zav {

inline constexpr std::string_view SOURCE_DIGEST_PREFIX = "sha256:";
inline constexpr std::string_view PARSED_DIGEST_PREFIX = "zav-parsed-v1-jcs-sha256:";

std::string prefixed_digest(std::string_view prefix, std::string_view bytes);

// The digest with PARSED_DIGEST_PREFIX of the canonical JSON of the pair
// [frontmatter, body], given the frontmatter map's canonical JSON text; the
// body's escaped text is never built whole.
std::string parsed_digest(std::string_view frontmatter_json, std::string_view body);

// The digest of a text handed over piece by piece, so that a text made of many
// small pieces (a body with its escapes) is never built whole. A thread has one
// stream open at a time.
class DigestStream {
 public:
  DigestStream();
  DigestStream(const DigestStream&) = delete;
  DigestStream& operator=(const DigestStream&) = delete;

  void append(std::string_view piece);
  // The digest text of everything appended; the stream is spent.
  std::string finish(std::string_view prefix);

 private:
  void send(std::string_view bytes);

  char buffer_[4096];
  std::size_t used_ = 0;
};

}  // namespace zav
