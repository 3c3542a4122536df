// The read concurrency of the load command: its default and its number reader.
#pragma once

#include <cstdint>
#include <expected>
#include <string_view>

namespace zav {

inline constexpr std::uint64_t DEFAULT_READ_CONCURRENCY = 32;

// The decimal text of DEFAULT_READ_CONCURRENCY, rendered once per process.
std::string_view default_read_concurrency_text();

// Reads an unsigned 64-bit decimal number: one optional leading "+", then
// ASCII digits only (leading zeros allowed). The reason text tells why a
// text is refused. Range checks belong to the load.
std::expected<std::uint64_t, std::string_view> parse_read_concurrency(std::string_view text);

}  // namespace zav
