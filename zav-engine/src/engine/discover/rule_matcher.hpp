// Finds the last glob of an ordered list that matches a path. Built once
// from the ignore rules, asked once per file and per directory of the walk.
#pragma once

#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/discover/glob.hpp"

namespace zav {

struct MatcherGlob {
  const Glob* glob;
  bool directory_only;  // counts only when a directory is tested
};

// How globs that need an expression are matched: through RE2::Set groups
// (falling back to one expression at a time when a set's automaton runs out
// of memory), or always one at a time, which gives the same answers.
enum class RegexMatching { sets, one_by_one };

class RuleMatcher {
 public:
  // Compiles the globs. Fails only when the expressions are too large to
  // compile, with the regular-expression library's message.
  static std::expected<RuleMatcher, std::string> build(
      std::span<const MatcherGlob> globs, RegexMatching matching = RegexMatching::sets);

  RuleMatcher(RuleMatcher&&) noexcept;
  RuleMatcher& operator=(RuleMatcher&&) noexcept;
  ~RuleMatcher();

  // The position of the last glob that matches `path` (a relative path as
  // bytes, "" for the root), or nothing. Not safe to call from two threads
  // at once.
  std::optional<std::size_t> last_match(std::string_view path, bool is_directory) const;

 private:
  struct Impl;
  explicit RuleMatcher(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace zav
