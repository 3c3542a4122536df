#include "engine/discover/rule_matcher.hpp"

#include <re2/re2.h>
#include <re2/set.h>

#include <algorithm>
#include <new>
#include <unordered_map>
#include <vector>

#include "base/os_error.hpp"
#include "base/path_pieces.hpp"
#include "base/text.hpp"

namespace zav {
namespace {

// Globs are numbered from 1 in their order ("rank"); 0 means no match, so
// the later of two matches is simply the larger rank.
using Rank = std::size_t;

// Expressions are compiled together in groups of limited weight and size,
// which keeps each automaton small when there are thousands of rules. An
// expression that can start anywhere in a piece ("*x?y") keeps a thread
// alive all along the path and weighs more than one that fails early.
constexpr std::size_t GROUP_WEIGHT = 512;
constexpr std::size_t FLOATING_WEIGHT = 8;
constexpr std::size_t GROUP_BYTES = 16 * 1024;
constexpr std::string_view FLOATING_START = "[^/]*";

// Limits on the size of the expressions (in bytes of their text) beyond
// which the rules count as too large to compile. They keep RE2 within the
// sizes it handles quietly; each group gets memory in proportion to its size.
constexpr std::size_t MAX_GLOB_REGEX_BYTES = 512 * 1024;
constexpr std::size_t MAX_TOTAL_REGEX_BYTES = 8 * 1024 * 1024;
constexpr std::int64_t BASE_MEMORY = std::int64_t{8} << 20;
constexpr std::int64_t MEMORY_PER_REGEX_BYTE = 64;

constexpr std::string_view TOO_LARGE = "pattern too large - compile failed";

// The highest rank among all globs of some kind, and among those that are
// not directory-only.
struct Best {
  Rank any = 0;
  Rank files = 0;

  void add(Rank rank, bool directory_only) {
    any = std::max(any, rank);
    if (!directory_only) files = std::max(files, rank);
  }
  Rank get(bool is_directory) const { return is_directory ? any : files; }
};

using LiteralMap = std::unordered_map<std::string, Best, TextHash, std::equal_to<>>;

Rank find_rank(const LiteralMap& map, std::string_view key, bool is_directory) {
  auto it = map.find(key);
  return it == map.end() ? 0 : it->second.get(is_directory);
}

enum class Affix { prefix, suffix, infix };

// Literal texts that a name must begin with, end with or hold, and their
// lengths. A name is looked up once per length (an infix at every offset),
// so the number of lengths is kept small; globs beyond it go to expressions.
struct AffixMap {
  LiteralMap map;
  std::vector<std::size_t> lengths;
  std::size_t max_lengths;

  explicit AffixMap(std::size_t most_lengths) : max_lengths(most_lengths) {}

  bool add(std::string key, Rank rank, bool directory_only) {
    if (std::find(lengths.begin(), lengths.end(), key.size()) == lengths.end()) {
      if (lengths.size() >= max_lengths) return false;
      lengths.push_back(key.size());
    }
    map[std::move(key)].add(rank, directory_only);
    return true;
  }

  Rank find(std::string_view name, Affix affix, bool is_directory) const {
    Rank best = 0;
    for (std::size_t length : lengths) {
      if (length > name.size()) continue;
      std::size_t last_start = name.size() - length;
      switch (affix) {
        case Affix::prefix:
          best = std::max(best, find_rank(map, name.substr(0, length), is_directory));
          break;
        case Affix::suffix:
          best = std::max(best, find_rank(map, name.substr(last_start), is_directory));
          break;
        case Affix::infix:
          for (std::size_t start = 0; start <= last_start; ++start) {
            best = std::max(best, find_rank(map, name.substr(start, length), is_directory));
          }
          break;
      }
    }
    return best;
  }
};

RE2::Options regex_options(std::int64_t memory) {
  RE2::Options options;
  options.set_encoding(RE2::Options::EncodingLatin1);
  options.set_dot_nl(true);
  options.set_log_errors(false);
  options.set_max_mem(memory);
  return options;
}

// Expressions compiled as one RE2::Set, each anchored at both ends.
class RegexGroup {
 public:
  bool empty() const { return patterns_.empty(); }
  std::size_t bytes() const { return bytes_; }

  void add(std::string pattern, Rank rank, bool directory_only) {
    bytes_ += pattern.size();
    patterns_.push_back(std::move(pattern));
    ranks_.push_back(rank);
    directory_only_.push_back(directory_only);
  }

  std::expected<void, std::string> compile(bool use_set) {
    if (empty()) return {};
    options_ =
        regex_options(BASE_MEMORY + MEMORY_PER_REGEX_BYTE * static_cast<std::int64_t>(bytes_));
    fallback_.resize(patterns_.size());
    if (!use_set) {
      for (std::size_t k = 0; k < patterns_.size(); ++k) {
        fallback_[k] = std::make_unique<RE2>(patterns_[k], options_);
        if (!fallback_[k]->ok()) return std::unexpected(fallback_[k]->error());
      }
      return {};
    }
    set_ = std::make_unique<RE2::Set>(options_, RE2::ANCHOR_BOTH);
    for (const std::string& pattern : patterns_) {
      std::string error;
      if (set_->Add(pattern, &error) < 0) return std::unexpected(error);
    }
    if (!set_->Compile()) return std::unexpected(std::string(TOO_LARGE));
    return {};
  }

  // The highest rank above `floor` whose expression matches `text`, or 0.
  Rank match(std::string_view text, bool is_directory, Rank floor) const {
    if (empty()) return 0;
    if (!set_) return match_one_by_one(text, is_directory, floor);
    std::vector<int> hits;
    RE2::Set::ErrorInfo info{RE2::Set::kNoError};
    if (!set_->Match(re2::StringPiece(text.data(), text.size()), &hits, &info) &&
        info.kind != RE2::Set::kNoError) {
      return match_one_by_one(text, is_directory, floor);
    }
    Rank best = 0;
    for (int hit : hits) {
      auto k = static_cast<std::size_t>(hit);
      if (is_directory || !directory_only_[k]) best = std::max(best, ranks_[k]);
    }
    return best > floor ? best : 0;
  }

 private:
  // When the set's automaton runs out of memory, each expression is tried on
  // its own, last first; RE2 then falls back to its slower engines itself.
  Rank match_one_by_one(std::string_view text, bool is_directory, Rank floor) const {
    for (std::size_t k = patterns_.size(); k-- > 0;) {
      if (ranks_[k] <= floor) break;
      if (!is_directory && directory_only_[k]) continue;
      if (!fallback_[k]) fallback_[k] = std::make_unique<RE2>(patterns_[k], options_);
      if (RE2::FullMatch(re2::StringPiece(text.data(), text.size()), *fallback_[k])) {
        return ranks_[k];
      }
    }
    return 0;
  }

  std::vector<std::string> patterns_;
  std::vector<Rank> ranks_;
  std::vector<bool> directory_only_;
  std::size_t bytes_ = 0;
  RE2::Options options_;
  std::unique_ptr<RE2::Set> set_;
  mutable std::vector<std::unique_ptr<RE2>> fallback_;
};

// Globs in rank order that need an expression: those matched against the
// whole path, and those that follow a leading "**/" and so are matched
// against every tail of the path that starts a piece.
struct RegexChunk {
  RegexGroup whole;
  RegexGroup tails;
  Best highest;
};

// The offsets at which the pieces of `path` start ("" has one, at 0).
template <typename Visit>
void for_each_tail(std::string_view path, Visit visit) {
  visit(path);
  for (std::size_t slash = path.find('/'); slash != std::string_view::npos;
       slash = path.find('/', slash + 1)) {
    visit(path.substr(slash + 1));
  }
}

bool is_kind(const GlobToken& token, GlobTokenKind kind) {
  return token.kind == kind;
}

// The bytes of a run of literal tokens, or nothing when one is not literal
// (or, with `single_piece`, when one is "/").
std::optional<std::string> literal_text(std::span<const GlobToken> tokens, bool single_piece) {
  std::string text;
  for (const GlobToken& token : tokens) {
    if (!is_kind(token, GlobTokenKind::literal)) return std::nullopt;
    if (single_piece && token.literal == U'/') return std::nullopt;
    append_utf8(text, token.literal);
  }
  return text;
}

}  // namespace

// Each glob goes to the cheapest form that answers exactly like its
// expression: a glob that matches everything, a literal path, a literal
// tail after "**/", a last piece that begins with, ends with or holds a
// literal ("**/x*", "**/*x", "**/*x*"), or else an expression in a compiled
// group.
struct RuleMatcher::Impl {
  Best everything;
  LiteralMap whole_literals;
  LiteralMap tail_literals;
  AffixMap name_prefixes{64};
  AffixMap name_suffixes{64};
  AffixMap name_infixes{8};
  std::vector<RegexChunk> chunks;

  void add(const Glob& glob, Rank rank, bool directory_only) {
    const GlobTokens& tokens = glob.tokens;
    std::span<const GlobToken> all(tokens);
    bool prefixed = !tokens.empty() && is_kind(tokens.front(), GlobTokenKind::recursive_prefix);
    if (prefixed && tokens.size() == 1) {
      everything.add(rank, directory_only);
      return;
    }
    if (auto text = literal_text(all, false)) {
      whole_literals[std::move(*text)].add(rank, directory_only);
      return;
    }
    if (!prefixed) {
      add_regex(glob_regex(glob, all), false, rank, directory_only);
      return;
    }
    std::span<const GlobToken> rest = all.subspan(1);
    if (auto text = literal_text(rest, false)) {
      tail_literals[std::move(*text)].add(rank, directory_only);
      return;
    }
    bool star_first = is_kind(rest.front(), GlobTokenKind::zero_or_more);
    bool star_last = is_kind(rest.back(), GlobTokenKind::zero_or_more);
    std::size_t inner_begin = star_first ? 1 : 0;
    std::size_t inner_end = std::max(inner_begin, rest.size() - (star_last ? 1 : 0));
    auto inner = literal_text(rest.subspan(inner_begin, inner_end - inner_begin), true);
    if (inner && (star_first || star_last)) {
      AffixMap& map = !star_first ? name_prefixes : !star_last ? name_suffixes : name_infixes;
      if (map.add(std::move(*inner), rank, directory_only)) return;
    }
    add_regex(glob_regex(glob, rest), true, rank, directory_only);
  }

  void add_regex(std::string pattern, bool tail, Rank rank, bool directory_only) {
    regex_bytes += pattern.size();
    too_large =
        too_large || pattern.size() > MAX_GLOB_REGEX_BYTES || regex_bytes > MAX_TOTAL_REGEX_BYTES;
    if (too_large) return;
    if (chunks.empty() ||
        chunks.back().whole.bytes() + chunks.back().tails.bytes() >= GROUP_BYTES ||
        chunk_weight >= GROUP_WEIGHT) {
      chunks.emplace_back();
      chunk_weight = 0;
    }
    chunk_weight += pattern.starts_with(FLOATING_START) ? FLOATING_WEIGHT : 1;
    RegexChunk& chunk = chunks.back();
    (tail ? chunk.tails : chunk.whole).add(std::move(pattern), rank, directory_only);
    chunk.highest.add(rank, directory_only);
  }

  Rank last_match(std::string_view path, bool is_directory) const {
    Rank best = everything.get(is_directory);
    best = std::max(best, find_rank(whole_literals, path, is_directory));
    if (!tail_literals.empty()) {
      for_each_tail(path, [&](std::string_view tail) {
        best = std::max(best, find_rank(tail_literals, tail, is_directory));
      });
    }
    std::string_view name = file_name(path);
    best = std::max(best, name_prefixes.find(name, Affix::prefix, is_directory));
    best = std::max(best, name_suffixes.find(name, Affix::suffix, is_directory));
    best = std::max(best, name_infixes.find(name, Affix::infix, is_directory));
    // Chunks hold ascending ranks: the first (from the end) that matches
    // has the answer, and none below the best so far can change it.
    for (auto chunk = chunks.rbegin(); chunk != chunks.rend(); ++chunk) {
      if (chunk->highest.get(is_directory) <= best) break;
      Rank found = chunk->whole.match(path, is_directory, best);
      if (!chunk->tails.empty()) {
        for_each_tail(path, [&](std::string_view tail) {
          found = std::max(found, chunk->tails.match(tail, is_directory, std::max(best, found)));
        });
      }
      if (found > best) return found;
    }
    return best;
  }

  std::size_t chunk_weight = 0;
  std::size_t regex_bytes = 0;
  bool too_large = false;
};

std::expected<RuleMatcher, std::string> RuleMatcher::build(std::span<const MatcherGlob> globs,
                                                           RegexMatching matching) {
  try {
    auto impl = std::make_unique<Impl>();
    for (std::size_t i = 0; i < globs.size(); ++i) {
      impl->add(*globs[i].glob, i + 1, globs[i].directory_only);
    }
    if (impl->too_large) return std::unexpected(std::string(TOO_LARGE));
    bool use_sets = matching == RegexMatching::sets;
    for (RegexChunk& chunk : impl->chunks) {
      if (auto compiled = chunk.whole.compile(use_sets); !compiled) {
        return std::unexpected(compiled.error());
      }
      if (auto compiled = chunk.tails.compile(use_sets); !compiled) {
        return std::unexpected(compiled.error());
      }
    }
    return RuleMatcher(std::move(impl));
  } catch (const std::bad_alloc&) {
    return std::unexpected(std::string(OUT_OF_MEMORY));
  }
}

RuleMatcher::RuleMatcher(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RuleMatcher::RuleMatcher(RuleMatcher&&) noexcept = default;
RuleMatcher& RuleMatcher::operator=(RuleMatcher&&) noexcept = default;
RuleMatcher::~RuleMatcher() = default;

std::optional<std::size_t> RuleMatcher::last_match(std::string_view path, bool is_directory) const {
  Rank rank = impl_->last_match(path, is_directory);
  if (rank == 0) return std::nullopt;
  return rank - 1;
}

}  // namespace zav
