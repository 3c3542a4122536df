// One bundle load: argument checks, discovery, the parallel read, the
// per-file checks in discovery order, link resolution and the final sort.
#include <fcntl.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "base/files.hpp"
#include "base/os_error.hpp"
#include "base/path_pieces.hpp"
#include "base/text.hpp"
#include "engine/concepts/concept_checks.hpp"
#include "engine/discover/discovery.hpp"
#include "engine/links/link_resolution.hpp"
#include "engine/load_hooks.hpp"
#include "engine/read/read_pool.hpp"
#include "engine/read/source_reader.hpp"
#include "engine/records/bundle_path.hpp"
#include "engine/records/catalogue.hpp"
#include "engine/records/diagnostics.hpp"
#include "engine/reserved/reserved_checks.hpp"
#include "zav/engine.hpp"

namespace zav {
namespace {

// The root made absolute with every link, "." and ".." resolved.
std::expected<std::string, std::string> canonical_root(std::string_view root) {
  if (root.find('\0') != std::string_view::npos) {
    return std::unexpected(std::string(catalogue::NUL_IN_ROOT));
  }
  std::string path(root);
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::unexpected(os_error_text(errno));
  std::string canonical(resolved);
  std::free(resolved);
  return canonical;
}

// Every file is opened below the root, which is opened once for all of them.
std::vector<SourceFile> read_all_files(ReadPool& pool, const std::string& root,
                                       const std::vector<std::string>& paths) {
  std::vector<SourceFile> files(paths.size());
  FileDescriptor root_directory(::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  int error = errno;
  pool.run(paths.size(), [&](std::size_t i) {
    if (root_directory.get() >= 0) {
      files[i] = read_source_file(root, root_directory.get(), paths[i]);
    } else {
      files[i] = SourceFile{ReadFailure{os_error_text(error)}, paths[i],
                            bundle_relative_path(root, paths[i])};
    }
  });
  return files;
}

}  // namespace

std::expected<Bundle, std::string> load_bundle(std::string_view root_argument,
                                               const std::vector<std::string>& excludes,
                                               std::uint64_t read_concurrency) {
  return load_bundle(root_argument, excludes, read_concurrency, LoadHooks{});
}

std::expected<Bundle, std::string> load_bundle(std::string_view root_argument,
                                               const std::vector<std::string>& excludes,
                                               std::uint64_t read_concurrency,
                                               const LoadHooks& hooks) {
  auto root = canonical_root(root_argument);
  if (!root) return std::unexpected(root.error());
  if (!is_directory(*root)) return std::unexpected(std::string(catalogue::ROOT_NOT_DIRECTORY));
  if (read_concurrency < 1 || read_concurrency > MAX_READ_CONCURRENCY) {
    return std::unexpected(std::string(catalogue::BAD_READ_CONCURRENCY));
  }

  auto paths = discover_markdown_files(*root, excludes);
  if (!paths) return std::unexpected(paths.error());

  if (hooks.after_discovery) hooks.after_discovery(*paths);

  KnownPaths known_paths;
  for (const auto& path : *paths) known_paths.insert(path);

  auto pool = ReadPool::start(static_cast<std::size_t>(read_concurrency));
  if (!pool) return std::unexpected(pool.error());

  std::vector<SourceFile> files = read_all_files(**pool, *root, *paths);

  Bundle bundle;
  bundle.markdown_count = paths->size();
  std::vector<LinkSource> link_sources;
  for (SourceFile& file : files) {
    bool reserved = is_reserved_file_name(file_name(file.absolute_path));
    if (auto* failure = std::get_if<ReadFailure>(&file.content)) {
      bundle.diagnostics.push_back(
          Diagnostic::new_(reserved ? catalogue::ZAV003 : catalogue::ZAV001, catalogue::ERROR,
                           file.relative_path, std::move(failure->message)));
    } else if (reserved) {
      check_reserved_file(file, *root, bundle.reserved, bundle.diagnostics);
    } else {
      check_concept_file(file, bundle.concepts, link_sources, bundle.diagnostics);
    }
    // The records hold copies of what they need; the text can go now.
    file.content = std::string();
  }

  std::size_t file_diagnostics = bundle.diagnostics.size();
  resolve_local_links(*root, bundle.concepts, link_sources, known_paths, bundle.links,
                      bundle.diagnostics);
  sort_diagnostics(bundle.diagnostics, file_diagnostics);
  bundle.root = utf8_lossy(*root);
  return bundle;
}

}  // namespace zav
