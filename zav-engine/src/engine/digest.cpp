#include "engine/digest.hpp"

#include <openssl/sha.h>

#include <array>

namespace zav {

std::string prefixed_digest(std::string_view prefix, std::string_view bytes) {
  std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest.data());
  constexpr std::string_view HEX_DIGITS = "0123456789abcdef";
  std::string text;
  text.reserve(prefix.size() + 2 * digest.size());
  text.append(prefix);
  for (unsigned char byte : digest) {
    text.push_back(HEX_DIGITS[byte >> 4]);
    text.push_back(HEX_DIGITS[byte & 0x0F]);
  }
  return text;
}

}  // namespace zav
