// Ignore rules from any text: every line is a rule or a message; the rules
// compile or fail with a message; and matching with regular-expression sets
// gives the same verdicts as matching rule by rule. The last line is the path
// tested, as a file and as a directory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "base/text.hpp"
#include "engine/discover/ignore_rules.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!zav::is_valid_utf8(text)) return -1;
  std::size_t last = text.rfind('\n');
  if (last == std::string_view::npos) return -1;
  std::string_view path = text.substr(last + 1);
  std::vector<zav::IgnoreRule> rules;
  for (std::size_t pos = 0; pos < last;) {
    std::size_t end = text.find('\n', pos);
    auto rule = zav::parse_ignore_line(text.substr(pos, end - pos));
    if (rule && *rule) rules.push_back(std::move(**rule));
    pos = end + 1;
  }
  auto with_sets = zav::IgnoreMatcher::build(rules, zav::RegexMatching::sets);
  auto one_by_one = zav::IgnoreMatcher::build(rules, zav::RegexMatching::one_by_one);
  if (!with_sets || !one_by_one) return 0;
  for (bool directory : {false, true}) {
    if (with_sets->verdict(path, directory) != one_by_one->verdict(path, directory)) std::abort();
  }
  return 0;
}
