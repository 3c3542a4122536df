#include "json_output.hpp"

#include <array>
#include <charconv>
#include <cstring>

#include "base/json_escape.hpp"
#include "base/os_error.hpp"

namespace zav {

void JsonWriter::unsigned_integer(std::uint64_t value) {
  std::array<char, 20> digits;
  auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  piece(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
}

WriteResult JsonWriter::result() const {
  if (failure_) return std::unexpected(*failure_);
  return {};
}

void write_json_string(JsonWriter& out, std::string_view text) {
  if (out.failed()) return;
  out.piece("\"");
  write_escaped_json_text(text, [&](std::string_view piece) { out.piece(piece); });
  out.piece("\"");
}

JsonWriter& JsonObject::member(std::string_view key) {
  // A member begins with the pieces separator, key (as a JSON string:
  // quotation mark, text, quotation mark) and colon. The buffer sends its
  // bytes only when a piece does not fit its free room, so pieces that fit
  // together reach the descriptor alike whether they come one by one or as
  // one: a short plain key (every key of the documents) goes as one piece
  // unless it meets the buffer's end.
  char piece[64];
  bool plain = key.size() + 4 <= sizeof piece;
  for (std::size_t i = 0; plain && i < key.size(); ++i) {
    plain = JSON_ESCAPES[static_cast<unsigned char>(key[i])].size == 0;
  }
  std::size_t size = key.size() + (first_ ? 3 : 4);
  if (plain && out_.fits(size)) {
    std::size_t used = 0;
    if (!first_) piece[used++] = ',';
    piece[used++] = '"';
    std::memcpy(piece + used, key.data(), key.size());
    used += key.size();
    piece[used++] = '"';
    piece[used++] = ':';
    first_ = false;
    out_.piece(std::string_view(piece, used));
    return out_;
  }
  if (!first_) out_.piece(",");
  first_ = false;
  write_json_string(out_, key);
  out_.piece(":");
  return out_;
}

CommandResult end_document(WriteResult written, OutputStream& locked_stream) {
  if (written) written = locked_stream.flush();
  if (!written) return std::unexpected(CommandError{os_error_text(written.error().error_number)});
  return {};
}

}  // namespace zav
