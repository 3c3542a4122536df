#include "json_output.hpp"

#include <array>
#include <charconv>

namespace zav {
namespace {

// For each byte: 0 when it is written as it is, else the letter after the
// backslash ('u' for the \u00xx form).
constexpr std::array<char, 256> ESCAPES = [] {
  std::array<char, 256> table{};
  for (int byte = 0; byte < 0x20; ++byte) table[byte] = 'u';
  table['\b'] = 'b';
  table['\t'] = 't';
  table['\n'] = 'n';
  table['\f'] = 'f';
  table['\r'] = 'r';
  table['"'] = '"';
  table['\\'] = '\\';
  return table;
}();

void write_escape(JsonWriter& out, unsigned char byte, char letter) {
  if (letter != 'u') {
    const char escape[2] = {'\\', letter};
    out.piece(std::string_view(escape, 2));
    return;
  }
  constexpr std::string_view HEX_DIGITS = "0123456789abcdef";
  const char escape[6] = {'\\', 'u', '0', '0', HEX_DIGITS[byte >> 4], HEX_DIGITS[byte & 0xF]};
  out.piece(std::string_view(escape, 6));
}

}  // namespace

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
  std::size_t run_start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    char letter = ESCAPES[byte];
    if (letter == 0) continue;
    if (i > run_start) out.piece(text.substr(run_start, i - run_start));
    write_escape(out, byte, letter);
    run_start = i + 1;
  }
  if (text.size() > run_start) out.piece(text.substr(run_start));
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
