#include "engine/concepts/concept_checks.hpp"

#include "base/text.hpp"
#include "engine/digest/digest.hpp"
#include "engine/markdown/markdown_facts.hpp"
#include "engine/records/bundle_path.hpp"
#include "engine/records/catalogue.hpp"
#include "engine/split/frontmatter_split.hpp"
#include "yaml/canonical_json.hpp"
#include "yaml/frontmatter_yaml.hpp"

namespace zav {
namespace {

Concept make_concept(const SourceFile& file, std::string_view content, const JsonMap& map,
                     std::string_view body) {
  Concept record;
  record.logical_key = std::string(logical_key(file.relative_path));
  record.concept_id = record.logical_key;
  record.path = file.relative_path;
  record.concept_type = std::string(trim_white_space(string_field(map, "type").value_or("")));
  record.title = string_field(map, "title");
  record.description = string_field(map, "description");
  record.source_digest = prefixed_digest(SOURCE_DIGEST_PREFIX, content);
  write_canonical_json(map, record.frontmatter_json);
  record.parsed_digest = parsed_digest(record.frontmatter_json, body);
  return record;
}

// The body is the rest of the text that holds it: cutting off what stands
// before it makes it a string of its own without a second copy of the text.
std::string cut_out_body(std::string& holder, std::string_view body) {
  holder.erase(0, static_cast<std::size_t>(body.data() - holder.data()));
  return std::move(holder);
}

}  // namespace

std::string normalize_line_ends(std::string_view text) {
  std::string normalized;
  normalized.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      normalized.push_back(text[i]);
      continue;
    }
    normalized.push_back('\n');
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  return normalized;
}

std::optional<std::string> string_field(const JsonMap& map, std::string_view key) {
  auto found = map.find(key);
  if (found == map.end()) return std::nullopt;
  if (const std::string* text = found->second.as_text()) return *text;
  return std::nullopt;
}

void check_concept_file(SourceFile& file, std::vector<Concept>& concepts,
                        std::vector<LinkSource>& link_sources,
                        std::vector<Diagnostic>& diagnostics) {
  std::string& content = std::get<std::string>(file.content);
  // Most files have no carriage return, and then need no normalised copy.
  std::string normalized_copy;
  std::string* normalized = &content;
  if (content.find('\r') != std::string::npos) {
    normalized_copy = normalize_line_ends(content);
    normalized = &normalized_copy;
  }
  auto fail = [&](std::string message) {
    diagnostics.push_back(Diagnostic::new_(catalogue::ZAV001, catalogue::ERROR, file.relative_path,
                                           std::move(message)));
  };
  std::optional<FrontmatterSplit> split = split_frontmatter(*normalized);
  if (!split) return fail(std::string(catalogue::MISSING_FRONTMATTER));
  std::expected<JsonMap, std::string> map = parse_frontmatter(split->yaml);
  if (!map) return fail(std::move(map.error()));

  Concept record = make_concept(file, content, *map, split->body);
  record.body = cut_out_body(*normalized, split->body);
  if (record.concept_type.empty()) {
    diagnostics.push_back(
        Diagnostic::error(catalogue::ZAV002, file.relative_path, catalogue::MISSING_TYPE));
  }
  MarkdownFacts facts = markdown_facts(record.body);
  if (!facts.links.empty()) {
    link_sources.push_back(
        LinkSource{concepts.size(), std::move(file.absolute_path), std::move(facts.links)});
  }
  concepts.push_back(std::move(record));
}

}  // namespace zav
