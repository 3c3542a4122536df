// Digest texts: a prefix and the 64 lower-case hex digits of a SHA-256 value.
#pragma once

#include <string>
#include <string_view>

namespace zav {

inline constexpr std::string_view SOURCE_DIGEST_PREFIX = "sha256:";
inline constexpr std::string_view PARSED_DIGEST_PREFIX = "zav-parsed-v1-jcs-sha256:";

std::string prefixed_digest(std::string_view prefix, std::string_view bytes);

}  // namespace zav
