#include "json_output.hpp"

#include <array>
#include <charconv>

#include "zav/json_escape.hpp"

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
  if (!first_) out_.piece(",");
  first_ = false;
  write_json_string(out_, key);
  out_.piece(":");
  return out_;
}

}  // namespace zav
