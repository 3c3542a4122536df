// Failures that come from the system, as text: operating-system errors
// ("{message} (os error {number})", the message being the C library's text for
// the number in the "C" locale), memory that cannot be had, and a stream read
// as text whose bytes are not UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace zav {

std::string os_error_text(int error_number);

inline constexpr std::string_view OUT_OF_MEMORY = "out of memory";
inline constexpr std::string_view STREAM_NOT_UTF8 = "stream did not contain valid UTF-8";

}  // namespace zav
