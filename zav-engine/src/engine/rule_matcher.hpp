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

#include "engine/glob.hpp"

namespace zav {

struct MatcherGlob {
  const GlobTokens* tokens;
  bool directory_only;  // counts only when a directory is tested
};

class RuleMatcher {
 public:
  // Memory for each compiled group of expressions (RE2's max_mem).
  static constexpr std::int64_t DEFAULT_GROUP_MEMORY = std::int64_t{8} << 20;

  // Compiles the globs. Fails only when an expression cannot be compiled,
  // with the regular-expression library's message.
  static std::expected<RuleMatcher, std::string> build(
      std::span<const MatcherGlob> globs, std::int64_t group_memory = DEFAULT_GROUP_MEMORY);

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
