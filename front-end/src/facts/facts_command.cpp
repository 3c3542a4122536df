#include "facts/facts_command.hpp"

#include <unistd.h>
#include <mutex>
#include <vector>

#include "base/files.hpp"
#include "base/os_error.hpp"
#include "base/text.hpp"
#include "facts/legacy/legacy_input.hpp"
#include "json_output.hpp"
#include "process.hpp"
#include "zav/engine.hpp"

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

std::expected<std::vector<MarkdownFacts>, CommandError> facts_of_standard_input() {
  auto input = read_descriptor(STDIN_FILENO);
  if (!input) return std::unexpected(CommandError{os_error_text(input.error())});
  if (!is_valid_utf8(*input)) return std::unexpected(CommandError{std::string(STREAM_NOT_UTF8)});
  auto legacy = parse_legacy(*input);
  if (!legacy) return std::unexpected(CommandError{std::move(legacy.error())});
  std::vector<MarkdownFacts> facts;
  facts.reserve(legacy->documents.size());
  std::string text;
  for (const LegacyDocument& document : legacy->documents) {
    document.decode_into(text);
    facts.push_back(markdown_facts(text));
  }
  keep_until_exit(std::move(*input));
  return facts;
}

}  // namespace

WriteResult write_facts_json(const std::vector<MarkdownFacts>& facts, OutputStream& locked_stream) {
  JsonWriter out(locked_stream);
  write_json_array(out, facts, write_markdown_facts);
  return out.result();
}

CommandResult run_facts_command() {
  auto facts = facts_of_standard_input();
  if (!facts) return std::unexpected(std::move(facts.error()));
  OutputStream& out = standard_output();
  std::lock_guard lock(out.lock());
  CommandResult result = end_document(write_facts_json(*facts, out), out);
  keep_until_exit(std::move(*facts));
  return result;
}

}  // namespace zav
