// Every diagnostic code and severity, and every fixed message that the checks
// of a load write into a diagnostic or that the load fails with, in one place.
// A message whose name ends in PREFIX is followed by a value from the input.
// Texts made below the checks are named where they are made: a failed read's
// system error text or "out of memory" (base/os_error.hpp), a frontmatter
// block's errors (yaml/frontmatter_yaml.hpp and the parser behind it) and what
// discovery's walk, ignore file and globs report (engine/discover/).
#pragma once

#include <string_view>

namespace zav::catalogue {

inline constexpr std::string_view ERROR = "error";
inline constexpr std::string_view WARNING = "warning";

inline constexpr std::string_view ZAV001 = "ZAV001";
inline constexpr std::string_view ZAV002 = "ZAV002";
inline constexpr std::string_view ZAV003 = "ZAV003";
inline constexpr std::string_view ZAV004 = "ZAV004";
inline constexpr std::string_view ZAV005 = "ZAV005";
inline constexpr std::string_view ZAV006 = "ZAV006";
inline constexpr std::string_view ZAV007 = "ZAV007";
inline constexpr std::string_view ZAV008 = "ZAV008";
inline constexpr std::string_view ZAV009 = "ZAV009";
inline constexpr std::string_view ZAV101 = "ZAV101";

// Reading files.
inline constexpr std::string_view NOT_UTF8 = "document must be valid UTF-8";

// Concepts.
inline constexpr std::string_view MISSING_FRONTMATTER =
    "concept must start with YAML frontmatter delimited by ---";
inline constexpr std::string_view MISSING_TYPE = "frontmatter must contain a non-empty string type";

// index.md and log.md.
inline constexpr std::string_view INVALID_DELIMITERS = "invalid YAML frontmatter delimiters";
inline constexpr std::string_view NESTED_INDEX_FRONTMATTER =
    "only the bundle-root index.md may contain frontmatter";
inline constexpr std::string_view ROOT_INDEX_KEYS =
    "root index.md frontmatter may contain only zav_version";
inline constexpr std::string_view INDEX_NEEDS_SECTION =
    "index.md must contain at least one level-one section";
inline constexpr std::string_view LOG_FRONTMATTER = "log.md must not contain frontmatter";
inline constexpr std::string_view LOG_NEEDS_TITLE = "log.md must contain a level-one title";
inline constexpr std::string_view LOG_DATE_NOT_REAL_PREFIX =
    "log date heading is not a real date: ";
inline constexpr std::string_view LOG_DATE_SHAPE_PREFIX = "log date heading must use YYYY-MM-DD: ";
inline constexpr std::string_view LOG_ORDER = "log date groups must be ordered newest first";

// Links.
inline constexpr std::string_view UNRESOLVED_LINK_PREFIX = "local Markdown link does not resolve: ";

// Load failures.
inline constexpr std::string_view NUL_IN_ROOT = "file name contained an unexpected NUL byte";
inline constexpr std::string_view ROOT_NOT_DIRECTORY = "bundle root is not a directory";
inline constexpr std::string_view BAD_READ_CONCURRENCY =
    "read concurrency must be an integer from 1 through 256";

}  // namespace zav::catalogue
