#include "engine/ignore_rules.hpp"

#include "zav/text.hpp"

namespace zav {
namespace {

bool starts_with(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool ends_with(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

std::expected<std::optional<IgnoreRule>, std::string> parse_ignore_line(std::string_view line) {
  // Lines are text; bytes that are not UTF-8 stand for U+FFFD.
  std::string repaired;
  if (!is_valid_utf8(line)) {
    repaired = utf8_lossy(line);
    line = repaired;
  }
  if (starts_with(line, "#")) return std::nullopt;
  // "\ " at the end keeps a space that would otherwise be trimmed.
  if (!ends_with(line, "\\ ")) line = trim_white_space_end(line);
  if (line.empty()) return std::nullopt;

  IgnoreRule rule;
  rule.pattern = std::string(line);
  bool anchored = false;
  if (starts_with(line, "\\!") || starts_with(line, "\\#")) {
    line.remove_prefix(1);
  } else {
    if (starts_with(line, "!")) {
      rule.reinclude = true;
      line.remove_prefix(1);
    }
    if (starts_with(line, "/")) {
      anchored = true;
      line.remove_prefix(1);
    }
  }
  if (ends_with(line, "/")) {
    rule.directory_only = true;
    line.remove_suffix(1);
    if (ends_with(line, "\\")) line.remove_suffix(1);
  }

  std::string glob(line);
  // Without a "/" a pattern matches a name at any depth.
  if (!anchored && glob.find('/') == std::string::npos && glob != "**") glob = "**/" + glob;
  // "dir/**" matches what lies below dir, not dir itself.
  if (ends_with(glob, "/**")) glob += "/*";

  auto tokens = parse_glob(glob);
  if (!tokens) {
    return std::unexpected("error parsing glob '" + rule.pattern + "': " + tokens.error());
  }
  rule.glob = std::move(*tokens);
  return rule;
}

std::expected<IgnoreMatcher, std::string> IgnoreMatcher::build(std::vector<IgnoreRule> rules,
                                                               std::int64_t group_memory) {
  std::vector<MatcherGlob> globs;
  globs.reserve(rules.size());
  for (const IgnoreRule& rule : rules) globs.push_back({&rule.glob, rule.directory_only});
  auto matcher = RuleMatcher::build(globs, group_memory);
  if (!matcher) return std::unexpected(matcher.error());
  return IgnoreMatcher(std::move(rules), std::move(*matcher));
}

IgnoreVerdict IgnoreMatcher::verdict(std::string_view relative_path, bool is_directory) const {
  if (rules_.empty()) return IgnoreVerdict::none;
  auto index = matcher_.last_match(relative_path, is_directory);
  if (!index) return IgnoreVerdict::none;
  return rules_[*index].reinclude ? IgnoreVerdict::keep : IgnoreVerdict::ignore;
}

}  // namespace zav
