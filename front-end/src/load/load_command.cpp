#include "load/load_command.hpp"

#include <mutex>

#include "document_end.hpp"
#include "load/bundle_json.hpp"
#include "stdout_stream.hpp"
#include "zav/engine.hpp"

namespace zav {

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
