// The facts input reader on any UTF-8 input: documents or one message that
// ends in a position, never a crash; every document decodes to UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text.hpp"
#include "facts/legacy/legacy_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!zav::is_valid_utf8(text)) return -1;
  auto legacy = zav::parse_legacy(text);
  if (!legacy && legacy.error().find(" at line ") == std::string::npos) std::abort();
  if (legacy) {
    for (const auto& document : legacy->documents) {
      std::string decoded = document.text();
      if (!zav::is_valid_utf8(decoded) || decoded.size() > document.written.size()) std::abort();
    }
  }
  return 0;
}
