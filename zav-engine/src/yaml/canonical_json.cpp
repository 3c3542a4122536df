#include "yaml/canonical_json.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/json_escape.hpp"

namespace zav {
namespace {

using Member = const JsonMap::value_type*;

// The code point at `pos` of a UTF-8 text; an ill-formed byte stands for
// itself so that such keys still order consistently.
char32_t code_point_at(std::string_view text, std::size_t pos) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(pos);
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (length == 1 || pos + length > text.size()) return lead;
  char32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (byte(pos + i) & 0x3F);
  return c;
}

// Orders code points as their UTF-16 encodings order: a character above
// U+FFFF is taken by its leading surrogate first.
std::pair<char32_t, char32_t> utf16_rank(char32_t c) {
  if (c < 0x10000) return {c, 0};
  return {0xD800 + ((c - 0x10000) >> 10), c};
}

bool is_continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// One open list or map of the writer: its items (a map's members already in
// canonical order) and how many have been written.
struct OpenCollection {
  const JsonList* list = nullptr;
  std::vector<Member> members;
  std::size_t written = 0;

  std::size_t size() const { return list != nullptr ? list->size() : members.size(); }
};

std::vector<Member> sorted_members(const JsonMap& map) {
  std::vector<Member> members;
  members.reserve(map.size());
  for (const auto& member : map) members.push_back(&member);
  std::sort(members.begin(), members.end(),
            [](Member a, Member b) { return compare_canonical_keys(a->first, b->first); });
  return members;
}

// Writes a scalar at once, or opens a collection on `open` (the writer keeps
// its own stack, so nesting costs no native stack).
void begin_value(const JsonValue& value, std::string& out, std::vector<OpenCollection>& open) {
  if (const auto* text = value.as_text()) {
    write_canonical_text(*text, out);
  } else if (const auto* list = value.as_list()) {
    out.push_back('[');
    open.push_back(OpenCollection{list, {}, 0});
  } else if (const auto* map = value.as_map()) {
    out.push_back('{');
    open.push_back(OpenCollection{nullptr, sorted_members(*map), 0});
  } else {
    out.append("null");
  }
}

// Writes the rest of every open collection, innermost first.
void write_open_collections(std::vector<OpenCollection>& open, std::string& out) {
  while (!open.empty()) {
    OpenCollection& top = open.back();
    if (top.written == top.size()) {
      out.push_back(top.list != nullptr ? ']' : '}');
      open.pop_back();
      continue;
    }
    if (top.written > 0) out.push_back(',');
    const JsonValue* item;
    if (top.list != nullptr) {
      item = &(*top.list)[top.written];
    } else {
      Member member = top.members[top.written];
      write_canonical_text(member->first, out);
      out.push_back(':');
      item = &member->second;
    }
    ++top.written;
    begin_value(*item, out, open);  // may grow `open`; `top` is not used after this
  }
}

}  // namespace

void write_canonical_text(std::string_view text, std::string& out) {
  out.push_back('"');
  write_escaped_json_text(text, [&](std::string_view piece) { out.append(piece); });
  out.push_back('"');
}

bool compare_canonical_keys(std::string_view a, std::string_view b) {
  auto [a_end, b_end] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  std::size_t at = static_cast<std::size_t>(a_end - a.begin());
  if (b_end == b.end()) return false;  // b is a prefix of a, or equal
  if (a_end == a.end()) return true;
  // Step back to the start of the character in which the two first differ;
  // the bytes before `at` are the same in both.
  while (at > 0 && is_continuation(static_cast<unsigned char>(a[at]))) --at;
  return utf16_rank(code_point_at(a, at)) < utf16_rank(code_point_at(b, at));
}

void write_canonical_json(const JsonValue& value, std::string& out) {
  std::vector<OpenCollection> open;
  begin_value(value, out, open);
  write_open_collections(open, out);
}

void write_canonical_json(const JsonMap& map, std::string& out) {
  std::vector<OpenCollection> open;
  out.push_back('{');
  open.push_back(OpenCollection{nullptr, sorted_members(map), 0});
  write_open_collections(open, out);
}

}  // namespace zav
