#include "facts/facts_command.hpp"

#include <unistd.h>
#include <mutex>
#include <vector>

#include "base/text.hpp"
#include "document_end.hpp"
#include "facts/facts_json.hpp"
#include "facts/legacy/legacy_input.hpp"
#include "facts/standard_input.hpp"
#include "stdout_stream.hpp"
#include "zav/engine.hpp"

namespace zav {
namespace {

constexpr std::string_view INPUT_NOT_UTF8 = "stream did not contain valid UTF-8";

std::expected<std::vector<MarkdownFacts>, CommandError> facts_of_standard_input() {
  auto input = read_to_end(STDIN_FILENO);
  if (!input) return std::unexpected(CommandError{std::move(input.error())});
  if (!is_valid_utf8(*input)) return std::unexpected(CommandError{std::string(INPUT_NOT_UTF8)});
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
