// The bundle engine's two entry points.
#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "zav/records.hpp"

namespace zav {

inline constexpr std::uint64_t MAX_READ_CONCURRENCY = 256;

// Loads the bundle below `root` (a path as raw bytes, absolute or relative).
// Fails with one message only for a bad root, a bad read concurrency, a
// discovery error or a failed thread start; every problem inside the bundle
// becomes a Diagnostic.
std::expected<Bundle, std::string> load_bundle(std::string_view root,
                                               const std::vector<std::string>& excludes,
                                               std::uint64_t read_concurrency);

// Reduces one Markdown text (plain CommonMark) to its link destinations and
// headings. Never fails.
MarkdownFacts markdown_facts(std::string_view text);

}  // namespace zav
