// The canonical JSON writer and its member order.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "yaml/canonical_json.hpp"

namespace zav {
namespace {

JsonValue text(std::string s) {
  return JsonValue{std::move(s)};
}
JsonValue list(std::vector<JsonValue> items) {
  return JsonValue{JsonList(std::move(items))};
}
JsonValue map(std::vector<std::pair<std::string, JsonValue>> members) {
  JsonMap m;
  for (auto& [key, value] : members) m.emplace(key, std::move(value));
  return JsonValue{std::move(m)};
}

std::string canonical(const JsonValue& value) {
  std::string out = "prefix:";  // the writer appends
  write_canonical_json(value, out);
  return out.substr(7);
}

TEST(CanonicalJson, WritesEveryKindWithoutWhiteSpace) {
  EXPECT_EQ(canonical(JsonValue{}), "null");
  EXPECT_EQ(canonical(text("")), R"("")");
  EXPECT_EQ(canonical(list({})), "[]");
  EXPECT_EQ(canonical(map({})), "{}");
  EXPECT_EQ(canonical(list({text("b"), JsonValue{}, list({text("a")})})), R"(["b",null,["a"]])");
  std::string out;
  write_canonical_json(JsonMap{}, out);
  EXPECT_EQ(out, "{}");
}

TEST(CanonicalJson, SortsMembersAtEveryLevel) {
  auto value = map({{"b", text("1")},
                    {"a", list({map({{"z", text("")}, {"y", JsonValue{}}})})},
                    {"aa", map({{"d", text("")}, {"c", text("")}})},
                    {"B", text("")}});
  EXPECT_EQ(canonical(value), R"({"B":"","a":[{"y":null,"z":""}],"aa":{"c":"","d":""},"b":"1"})");
  // U+1F600 comes before U+E000: its leading surrogate is below E000.
  auto astral = map({{"\xEE\x80\x80", text("e000")}, {"\xF0\x9F\x98\x80", text("smile")}});
  EXPECT_EQ(canonical(astral), "{\"\xF0\x9F\x98\x80\":\"smile\",\"\xEE\x80\x80\":\"e000\"}");
}

TEST(CanonicalJson, EscapesOnlyQuotesBackslashesAndControls) {
  std::string raw("\"\\\b\t\n\f\r", 7);
  raw += std::string("\0\x1F\x7F/\xC3\xA9", 6);
  EXPECT_EQ(canonical(text(raw)), "\"\\\"\\\\\\b\\t\\n\\f\\r\\u0000\\u001f\x7F/\xC3\xA9\"");
  EXPECT_EQ(canonical(map({{"k\"\n", text("v")}})), R"({"k\"\n":"v"})");
}

TEST(CanonicalKeyOrder, ComparesUtf16CodeUnits) {
  struct Case {
    std::string a, b;
    bool before;
  };
  const Case cases[] = {
      {"B", "a", true},
      {"a", "aa", true},
      {"aa", "a", false},
      {"a", "a", false},
      {"", "a", true},
      {"\xF0\x9F\x98\x80", "\xEE\x80\x80", true},  // U+1F600 before U+E000
      {"\xEE\x80\x80", "\xF0\x9F\x98\x80", false},
      {"\xC3\xA9", "\xEE\x80\x80", true},  // below the surrogates: byte order
      {"x\xF0\x9F\x98\x80", "x\xF0\x9F\x98\x81", true},
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80z", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(compare_canonical_keys(c.a, c.b), c.before) << c.a << " / " << c.b;
  }
}

TEST(CanonicalJson, DeepValuesNeedNoNativeStack) {
  JsonValue value = text("leaf");
  for (int i = 0; i < 100000; ++i) {
    JsonValue outer{JsonList{}};
    std::get<JsonList>(outer.value).push_back(std::move(value));
    value = std::move(outer);
  }
  std::string out;
  write_canonical_json(value, out);
  EXPECT_EQ(out.size(), 200000u + 6);
  EXPECT_EQ(measure_json_value(value).depth, 100000u);
  EXPECT_EQ(measure_json_value(value).nodes, 100001u);
  // Taken apart from the leaf up, so that destruction does not recurse.
  while (auto* items = std::get_if<JsonList>(&value.value)) {
    JsonValue inner = std::move(items->front());
    value = std::move(inner);
  }
}

}  // namespace
}  // namespace zav
