#include "facts/facts_json.hpp"

#include "json_output.hpp"

namespace zav {
namespace {

void write_heading(JsonWriter& out, const Heading& heading) {
  out.piece("[");
  out.unsigned_integer(heading.level);
  out.piece(",");
  write_json_string(out, heading.text);
  out.piece("]");
}

void write_markdown_facts(JsonWriter& out, const MarkdownFacts& facts) {
  JsonObject object(out);
  write_json_array(object.member("links"), facts.links, write_json_string);
  write_json_array(object.member("headings"), facts.headings, write_heading);
  object.close();
}

}  // namespace

WriteResult write_facts_json(const std::vector<MarkdownFacts>& facts, OutputStream& locked_stream) {
  JsonWriter out(locked_stream);
  write_json_array(out, facts, write_markdown_facts);
  return out.result();
}

}  // namespace zav
