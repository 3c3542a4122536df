// The __engine-load command: one bundle load, written as the load document,
// one compact JSON object.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.hpp"
#include "command_error.hpp"
#include "json_output.hpp"
#include "process.hpp"
#include "zav/records.hpp"

namespace zav {

// Holds the standard-output lock from before the load until the document is
// written and flushed. A failed load writes nothing.
CommandResult run_load_command(const Load& load);

// Writes {"root":..,"concepts":[..],"reserved":[..],"links":[..],
// "diagnostics":[..],"markdown_count":N} into the locked stream, streamed
// from the records. Returns the first failed write.
WriteResult write_bundle_json(const Bundle& bundle, OutputStream& locked_stream);

// One member whose value is the text or, when it is absent, null.
void write_optional_string_field(JsonObject& object, std::string_view key,
                                 const std::optional<std::string>& text);
void write_diagnostics_field(JsonObject& object, const std::vector<Diagnostic>& diagnostics);
void write_markdown_count_field(JsonObject& object, std::uint64_t markdown_count);

}  // namespace zav
