#include "legacy_input.hpp"

namespace zav {

// Placeholder until the reader is in.
std::expected<Legacy, std::string> parse_legacy(std::string_view) {
  return std::unexpected(std::string("not built yet"));
}

}  // namespace zav
