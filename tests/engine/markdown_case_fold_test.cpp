// Unicode case folding of single characters, as link labels are compared.
#include <gtest/gtest.h>

#include <string>

#include "engine/markdown/case_fold.hpp"

namespace zav::markdown {
namespace {

struct FoldCase {
  char32_t c;
  std::string folded;
};

std::string folded(char32_t c) {
  std::string out = "x";  // appended to, never replaced
  append_case_folded(out, c);
  return out.substr(1);
}

TEST(CaseFold, FoldsSingleCharacters) {
  const FoldCase cases[] = {
      {U'A', "a"},
      {U'Z', "z"},
      {U'a', "a"},
      {U'@', "@"},  // the characters around A-Z and a-z stay
      {U'[', "["},
      {U'`', "`"},
      {U'{', "{"},
      {U'\0', std::string(1, '\0')},
      {U'\u00C0', "\u00E0"},  // À
      {U'\u0100', "\u0101"},  // every other character of Latin Extended-A
      {U'\u0101', "\u0101"},
      {U'\u00DF', "ss"},      // ß
      {U'\u1E9E', "ss"},      // capital ẞ
      {U'\u03A3', "\u03C3"},  // Σ
      {U'\u03C2', "\u03C3"},  // final ς
      {U'\u03C3', "\u03C3"},
      {U'\u0390', "\u03B9\u0308\u0301"},  // three characters
      {U'\u0130', "i\u0307"},             // İ
      {U'\u212A', "k"},                   // Kelvin sign, to ASCII
      {U'\u017F', "s"},                   // long s
      {U'\u13F8', "\u13F0"},              // Cherokee small letters fold to capitals
      {U'\uAB70', "\u13A0"},
      {U'\u0410', "\u0430"},  // Cyrillic А
      {U'\u20AC', "\u20AC"},  // € does not change
      {U'\u00E9', "\u00E9"},
      {U'\uFB00', "ff"},              // ligature ﬀ
      {U'\uFF21', "\uFF41"},          // fullwidth Ａ
      {U'\U00010400', "\U00010428"},  // Deseret, four bytes
      {U'\U0001E900', "\U0001E922"},  // Adlam
      {U'\U0001E922', "\U0001E922"},
      {U'\U0010FFFF', "\U0010FFFF"},
  };
  for (const FoldCase& c : cases) {
    EXPECT_EQ(folded(c.c), c.folded) << "U+" << std::hex << static_cast<unsigned>(c.c);
  }
}

TEST(CaseFold, ReplacesValuesThatAreNoCharacters) {
  for (char32_t c :
       {char32_t{0xD800}, char32_t{0xDFFF}, char32_t{0x110000}, char32_t{0xFFFFFFFF}}) {
    EXPECT_EQ(folded(c), "\uFFFD") << std::hex << static_cast<unsigned>(c);
  }
}

}  // namespace
}  // namespace zav::markdown
