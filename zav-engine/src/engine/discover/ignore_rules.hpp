// Ignore rules in gitignore syntax: one line becomes one rule, and the rules
// together say whether a path is ignored.
#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/discover/glob.hpp"
#include "engine/discover/rule_matcher.hpp"

namespace zav {

struct IgnoreRule {
  std::string pattern;  // the line without trailing white space, as messages quote it
  Glob glob;
  bool reinclude = false;       // the line began with "!"
  bool directory_only = false;  // the line ended with "/"
};

// Nothing for a comment or blank line; the "error parsing glob" message for
// a pattern that the glob syntax rejects.
std::expected<std::optional<IgnoreRule>, std::string> parse_ignore_line(std::string_view line);

enum class IgnoreVerdict { none, ignore, keep };

class IgnoreMatcher {
 public:
  // Fails only when the rules are too large to compile, with the message of
  // the regular-expression library.
  static std::expected<IgnoreMatcher, std::string> build(
      std::vector<IgnoreRule> rules, RegexMatching matching = RegexMatching::sets);

  bool empty() const { return rules_.empty(); }

  // What the last rule that matches the path says: `keep` for a re-include
  // rule, `ignore` for any other, `none` when no rule matches. Directory-only
  // rules count only when `is_directory`.
  IgnoreVerdict verdict(std::string_view relative_path, bool is_directory) const;

 private:
  IgnoreMatcher(std::vector<IgnoreRule> rules, RuleMatcher matcher)
      : rules_(std::move(rules)), matcher_(std::move(matcher)) {}

  std::vector<IgnoreRule> rules_;
  RuleMatcher matcher_;
};

}  // namespace zav
