// The records that one bundle load hands to its caller, and the facts of one
// Markdown text. Plain values: every text is UTF-8 and owned by its record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zav {

// One finding of a load. The four fields are the whole diagnostic.
struct Diagnostic {
  std::string code;      // six ASCII characters, "ZAV001" .. "ZAV009", "ZAV101"
  std::string severity;  // "error" or "warning"
  std::string path;      // bundle-relative path of the file the finding is about
  std::string message;

  // For messages composed at run time; validates nothing. (`new` is a C++
  // keyword, hence the trailing underscore.)
  static Diagnostic new_(std::string_view code, std::string_view severity, std::string_view path,
                         std::string message);
  // A fixed message with severity "error".
  static Diagnostic error(std::string_view code, std::string_view path, std::string_view message);

  bool operator==(const Diagnostic&) const = default;
};

// One concept file whose frontmatter block was found and converted.
struct Concept {
  std::string concept_id;
  std::string logical_key;
  std::string path;
  std::string concept_type;
  std::optional<std::string> title;
  std::optional<std::string> description;
  std::string source_digest;
  std::string parsed_digest;
  std::string frontmatter_json;
  std::string body;

  bool operator==(const Concept&) const = default;
};

// One readable index.md or log.md file.
struct ReservedFile {
  std::string path;
  std::string filename;
  std::string body;

  bool operator==(const ReservedFile&) const = default;
};

// One local Markdown link of a concept.
struct Link {
  std::string source_id;
  std::string raw_target;
  std::optional<std::string> target_id;
  bool exists = false;
  std::string origin;

  bool operator==(const Link&) const = default;
};

// The result of one load.
struct Bundle {
  std::string root;
  std::vector<Concept> concepts;
  std::vector<ReservedFile> reserved;
  std::vector<Link> links;
  std::vector<Diagnostic> diagnostics;
  std::uint64_t markdown_count = 0;

  bool operator==(const Bundle&) const = default;
};

// One heading: level 1 to 6 and its raw source text (empty when it has none).
struct Heading {
  std::uint8_t level = 1;
  std::string text;

  bool operator==(const Heading&) const = default;
};

// What one Markdown text yields: link destinations and headings, in document order.
struct MarkdownFacts {
  std::vector<std::string> links;
  std::vector<Heading> headings;

  bool operator==(const MarkdownFacts&) const = default;
};

}  // namespace zav
