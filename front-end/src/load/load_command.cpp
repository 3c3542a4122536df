#include "load/load_command.hpp"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "json_output.hpp"
#include "zav/engine.hpp"

namespace zav {
namespace {

// One member whose value is the text or, when it is absent, null.
void write_optional_string_field(JsonObject& object, std::string_view key,
                                 const std::optional<std::string>& text) {
  JsonWriter& out = object.member(key);
  if (text) {
    write_json_string(out, *text);
  } else {
    out.piece("null");
  }
}

void write_concept(JsonWriter& out, const Concept& concept_record) {
  JsonObject object(out);
  object.string_member("concept_id", concept_record.concept_id);
  object.string_member("logical_key", concept_record.logical_key);
  object.string_member("path", concept_record.path);
  object.string_member("concept_type", concept_record.concept_type);
  write_optional_string_field(object, "title", concept_record.title);
  write_optional_string_field(object, "description", concept_record.description);
  object.string_member("source_digest", concept_record.source_digest);
  object.string_member("parsed_digest", concept_record.parsed_digest);
  object.string_member("frontmatter_json", concept_record.frontmatter_json);
  object.string_member("body", concept_record.body);
  object.close();
}

void write_reserved_file(JsonWriter& out, const ReservedFile& reserved) {
  JsonObject object(out);
  object.string_member("path", reserved.path);
  object.string_member("filename", reserved.filename);
  object.string_member("body", reserved.body);
  object.close();
}

void write_link(JsonWriter& out, const Link& link) {
  JsonObject object(out);
  object.string_member("source_id", link.source_id);
  object.string_member("raw_target", link.raw_target);
  write_optional_string_field(object, "target_id", link.target_id);
  object.boolean_member("exists", link.exists);
  object.string_member("origin", link.origin);
  object.close();
}

void write_diagnostic(JsonWriter& out, const Diagnostic& diagnostic) {
  JsonObject object(out);
  object.string_member("code", diagnostic.code);
  object.string_member("severity", diagnostic.severity);
  object.string_member("path", diagnostic.path);
  object.string_member("message", diagnostic.message);
  object.close();
}

void write_diagnostics_field(JsonObject& object, const std::vector<Diagnostic>& diagnostics) {
  write_json_array(object.member("diagnostics"), diagnostics, write_diagnostic);
}

void write_markdown_count_field(JsonObject& object, std::uint64_t markdown_count) {
  object.member("markdown_count").unsigned_integer(markdown_count);
}

}  // namespace

WriteResult write_bundle_json(const Bundle& bundle, OutputStream& locked_stream) {
  JsonWriter out(locked_stream);
  JsonObject object(out);
  object.string_member("root", bundle.root);
  write_json_array(object.member("concepts"), bundle.concepts, write_concept);
  write_json_array(object.member("reserved"), bundle.reserved, write_reserved_file);
  write_json_array(object.member("links"), bundle.links, write_link);
  write_diagnostics_field(object, bundle.diagnostics);
  write_markdown_count_field(object, bundle.markdown_count);
  object.close();
  return out.result();
}

CommandResult run_load_command(const Load& load) {
  OutputStream& out = standard_output();
  std::lock_guard lock(out.lock());
  auto bundle = load_bundle(load.root, load.exclude, load.read_concurrency);
  if (!bundle) return std::unexpected(CommandError{std::move(bundle.error())});
  CommandResult result = end_document(write_bundle_json(*bundle, out), out);
  keep_until_exit(std::move(*bundle));
  return result;
}

}  // namespace zav
