// Decoding the source of quoted scalars: escapes that YAML does not have
// give nothing, so the caller reports them rather than keep a wrong text.
#include <gtest/gtest.h>

#include <string_view>

#include "yaml/quoted_scalar.hpp"

namespace zav {
namespace {

TEST(QuotedScalar, RejectsEscapesOutsideYaml) {
  for (std::string_view content : {"\\q", "a\\", "\\x4", "\\u12G4", "\\ud800", "\\U00110000"}) {
    EXPECT_FALSE(decode_double_quoted(content).has_value()) << content;
  }
  EXPECT_EQ(decode_double_quoted("\\x4a\\u00E9\\U0001f600"), "J\xC3\xA9\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace zav
