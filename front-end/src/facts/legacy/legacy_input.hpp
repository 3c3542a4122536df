// The facts input: {"documents": [text, ...]} or [[text, ...]], read by a
// strict JSON reader whose messages carry " at line L column C".
#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace zav {

// One document as the input writes it, between its quotation marks. The
// reader has checked it whole, so decoding cannot fail; documents are decoded
// one at a time, so the input and all its decoded texts are never in memory
// together.
struct LegacyDocument {
  std::string_view written;

  // The document's text, its escapes decoded.
  std::string text() const;
  // The same into `out` (cleared first), so that one buffer serves every
  // document in turn.
  void decode_into(std::string& out) const;
};

struct Legacy {
  std::vector<LegacyDocument> documents;
};

// `input` is the whole of standard input, already checked to be UTF-8; the
// documents are views into it, so it must outlive the result.
std::expected<Legacy, std::string> parse_legacy(std::string_view input);

}  // namespace zav
