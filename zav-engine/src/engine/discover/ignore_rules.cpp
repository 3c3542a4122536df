#include "engine/discover/ignore_rules.hpp"

#include "base/text.hpp"

namespace zav {

std::expected<std::optional<IgnoreRule>, std::string> parse_ignore_line(std::string_view line) {
  // Lines are text; bytes that are not UTF-8 stand for U+FFFD.
  std::string repaired;
  if (!is_valid_utf8(line)) {
    repaired = utf8_lossy(line);
    line = repaired;
  }
  if (line.starts_with("#")) return std::nullopt;
  // "\ " at the end keeps a space that would otherwise be trimmed.
  if (!line.ends_with("\\ ")) line = trim_white_space_end(line);
  if (line.empty()) return std::nullopt;

  IgnoreRule rule;
  rule.pattern = std::string(line);
  bool anchored = false;
  if (line.starts_with("\\!") || line.starts_with("\\#")) {
    line.remove_prefix(1);
  } else {
    if (line.starts_with("!")) {
      rule.reinclude = true;
      line.remove_prefix(1);
    }
    if (line.starts_with("/")) {
      anchored = true;
      line.remove_prefix(1);
    }
  }
  if (line.ends_with("/")) {
    rule.directory_only = true;
    line.remove_suffix(1);
    if (line.ends_with("\\")) line.remove_suffix(1);
  }

  std::string glob(line);
  // Without a "/" a pattern matches a name at any depth.
  if (!anchored && glob.find('/') == std::string::npos && glob != "**") glob = "**/" + glob;
  // "dir/**" matches what lies below dir, not dir itself.
  if (glob.ends_with("/**")) glob += "/*";

  auto tokens = parse_glob(glob);
  if (!tokens) {
    return std::unexpected("error parsing glob '" + rule.pattern + "': " + tokens.error());
  }
  rule.glob = std::move(*tokens);
  return rule;
}

std::expected<IgnoreMatcher, std::string> IgnoreMatcher::build(std::vector<IgnoreRule> rules,
                                                               RegexMatching matching) {
  std::vector<MatcherGlob> globs;
  globs.reserve(rules.size());
  for (const IgnoreRule& rule : rules) globs.push_back({&rule.glob, rule.directory_only});
  auto matcher = RuleMatcher::build(globs, matching);
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
