// Named character references: the names that end in ";" and the UTF-8 texts they stand for.
#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "engine/markdown/entities.hpp"

namespace zav::markdown {
namespace {

struct EntityCase {
  std::string_view name;
  std::optional<std::string_view> text;
};

TEST(NamedCharacterReference, GivesTheTextOfKnownNames) {
  const EntityCase cases[] = {
      {"amp", "&"},        {"AMP", "&"},
      {"quot", "\""},  // characters a generated literal must escape
      {"bsol", "\\"},      {"NewLine", "\n"},
      {"Tab", "\t"},       {"ouml", "\u00F6"},       // two bytes
      {"nbsp", "\u00A0"},  {"ngE", "\u2267\u0338"},  // two characters
      {"fjlig", "fj"},     {"Afr", "\U0001D504"},    // four bytes
      {"AElig", "\u00C6"},                           // first and last name of the table
      {"zwnj", "\u200C"},  {"CounterClockwiseContourIntegral", "\u2233"},  // the longest name
  };
  for (const EntityCase& c : cases) {
    EXPECT_EQ(named_character_reference(c.name), c.text) << c.name;
  }
}

TEST(NamedCharacterReference, RejectsUnknownNames) {
  const std::string_view names[] = {
      "",
      "amp;",  // the name stops before ";"
      "&amp",
      "Amp",  // names are case-sensitive
      "am",
      "ampx",
      "AEli",  // before the first name, and after the last
      "zzzz",
      "CounterClockwiseContourIntegralX",
      std::string_view("amp\0", 4),
  };
  for (std::string_view name : names) {
    EXPECT_EQ(named_character_reference(name), std::nullopt) << testing::PrintToString(name);
  }
}

}  // namespace
}  // namespace zav::markdown
