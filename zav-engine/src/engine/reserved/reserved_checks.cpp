#include "engine/reserved/reserved_checks.hpp"

#include <algorithm>

#include "base/path_pieces.hpp"
#include "base/text.hpp"
#include "engine/markdown/markdown_facts.hpp"
#include "engine/records/bundle_path.hpp"
#include "engine/records/catalogue.hpp"
#include "engine/reserved/log_dates.hpp"
#include "engine/split/frontmatter_split.hpp"
#include "yaml/frontmatter_yaml.hpp"

namespace zav {
namespace {

// What the frontmatter block of a reserved file came to.
struct BlockOutcome {
  bool has_block = false;
  JsonMap map;
  std::string_view body;
  std::optional<std::string> error;  // the block was there but broken
};

BlockOutcome read_block(std::string_view text) {
  if (!text.starts_with("---")) return BlockOutcome{false, {}, text, std::nullopt};
  std::optional<FrontmatterSplit> split = split_frontmatter(text);
  if (!split) return BlockOutcome{false, {}, text, std::string(catalogue::INVALID_DELIMITERS)};
  std::expected<JsonMap, std::string> map = parse_frontmatter(split->yaml);
  if (!map) return BlockOutcome{false, {}, text, std::move(map.error())};
  return BlockOutcome{true, std::move(*map), split->body, std::nullopt};
}

bool has_titled_heading(const MarkdownFacts& facts, std::uint8_t level) {
  return std::ranges::any_of(facts.headings, [&](const Heading& heading) {
    return heading.level == level && !trim_white_space(heading.text).empty();
  });
}

void check_index(const SourceFile& file, std::string_view root, const BlockOutcome& block,
                 const MarkdownFacts& facts, std::vector<Diagnostic>& found) {
  if (block.has_block) {
    if (!paths_equal(parent_directory(file.absolute_path), root)) {
      found.push_back(Diagnostic::error(catalogue::ZAV004, file.relative_path,
                                        catalogue::NESTED_INDEX_FRONTMATTER));
    } else if (has_non_version_key(block.map)) {
      found.push_back(
          Diagnostic::error(catalogue::ZAV004, file.relative_path, catalogue::ROOT_INDEX_KEYS));
    }
  }
  if (!has_titled_heading(facts, 1)) {
    found.push_back(
        Diagnostic::error(catalogue::ZAV005, file.relative_path, catalogue::INDEX_NEEDS_SECTION));
  }
}

void check_log(const SourceFile& file, const BlockOutcome& block, const MarkdownFacts& facts,
               std::vector<Diagnostic>& found) {
  const std::string& path = file.relative_path;
  if (block.has_block) {
    found.push_back(Diagnostic::error(catalogue::ZAV006, path, catalogue::LOG_FRONTMATTER));
  }
  if (!has_titled_heading(facts, 1)) {
    found.push_back(Diagnostic::error(catalogue::ZAV007, path, catalogue::LOG_NEEDS_TITLE));
  }
  std::vector<CalendarDate> dates;
  for (const Heading& heading : facts.headings) {
    if (heading.level != 2) continue;
    if (!has_date_shape(heading.text)) {
      found.push_back(
          Diagnostic::new_(catalogue::ZAV008, catalogue::ERROR, path,
                           std::string(catalogue::LOG_DATE_SHAPE_PREFIX).append(heading.text)));
    } else if (auto date = parse_log_date(heading.text)) {
      dates.push_back(*date);
    } else {
      found.push_back(
          Diagnostic::new_(catalogue::ZAV008, catalogue::ERROR, path,
                           std::string(catalogue::LOG_DATE_NOT_REAL_PREFIX).append(heading.text)));
    }
  }
  if (std::ranges::adjacent_find(dates, std::less<>()) != dates.end()) {
    found.push_back(Diagnostic::error(catalogue::ZAV009, path, catalogue::LOG_ORDER));
  }
}

}  // namespace

bool has_non_version_key(const JsonMap& map) {
  return std::ranges::any_of(map, [](const auto& entry) { return entry.first != "zav_version"; });
}

void check_reserved_file(const SourceFile& file, std::string_view root,
                         std::vector<ReservedFile>& reserved,
                         std::vector<Diagnostic>& diagnostics) {
  const std::string& content = std::get<std::string>(file.content);
  std::string_view text = content;
  if (text.starts_with(BYTE_ORDER_MARK)) text.remove_prefix(BYTE_ORDER_MARK.size());
  std::string filename(file_name(file.absolute_path));
  bool is_index = filename == RESERVED_FILE_NAMES[0];

  BlockOutcome block = read_block(text);
  std::vector<Diagnostic> found;
  if (block.error) {
    found.push_back(Diagnostic::new_(is_index ? catalogue::ZAV004 : catalogue::ZAV006,
                                     catalogue::ERROR, file.relative_path,
                                     std::move(*block.error)));
    reserved.push_back(ReservedFile{file.relative_path, std::move(filename), content});
  } else {
    MarkdownFacts facts = markdown_facts(block.body);
    if (is_index) {
      check_index(file, root, block, facts, found);
    } else {
      check_log(file, block, facts, found);
    }
    reserved.push_back(
        ReservedFile{file.relative_path, std::move(filename), std::string(block.body)});
  }
  std::ranges::move(found, std::back_inserter(diagnostics));
}

}  // namespace zav
