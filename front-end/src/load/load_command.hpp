// The __engine-load command: one bundle load, written as the load document,
// one compact JSON object.
#pragma once

#include "cli/cli.hpp"
#include "command_error.hpp"
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

}  // namespace zav
