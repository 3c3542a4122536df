// Reads a facts input on standard input and prints its documents as one
// compact JSON array of strings (status 0), or "zav-parser: <message>" on
// standard error (status 1).
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "base/json_escape.hpp"

#include "base/text.hpp"
#include "facts/legacy/legacy_input.hpp"

namespace {

void append_json_string(std::string& out, std::string_view text) {
  out.push_back('"');
  zav::write_escaped_json_text(text, [&](std::string_view piece) { out.append(piece); });
  out.push_back('"');
}

int fail(const std::string& message) {
  std::fprintf(stderr, "zav-parser: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main() {
  std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  if (!zav::is_valid_utf8(input)) return fail("stream did not contain valid UTF-8");
  auto legacy = zav::parse_legacy(input);
  if (!legacy) return fail(legacy.error());
  std::string out = "[";
  for (const auto& document : legacy->documents) {
    if (out.size() > 1) out.push_back(',');
    append_json_string(out, document.text());
  }
  out.push_back(']');
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
