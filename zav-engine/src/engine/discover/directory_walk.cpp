#include "engine/discover/directory_walk.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <memory>

#include "base/files.hpp"
#include "base/os_error.hpp"
#include "base/path_pieces.hpp"
#include "base/text.hpp"
#include "engine/records/bundle_path.hpp"

namespace zav {
namespace {

enum class EntryKind { directory, regular_file, other };

struct Entry {
  std::string name;
  EntryKind kind;
};

std::string io_error(const std::string& path, int error_number) {
  return "IO error for operation on " + utf8_lossy(path) + ": " + os_error_text(error_number);
}

bool is_pruned(std::string_view name) {
  return std::find(std::begin(PRUNED_DIRECTORY_NAMES), std::end(PRUNED_DIRECTORY_NAMES), name) !=
         std::end(PRUNED_DIRECTORY_NAMES);
}

EntryKind kind_of_mode(mode_t mode) {
  if (S_ISDIR(mode)) return EntryKind::directory;
  if (S_ISREG(mode)) return EntryKind::regular_file;
  return EntryKind::other;  // symbolic links, FIFOs, sockets, devices
}

struct CloseDirectory {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// The subdirectories and Markdown candidates of one directory, in listing
// order. The directory is closed again before this returns, so that no
// descriptor stays open while the walk goes deeper.
std::expected<std::vector<Entry>, std::string> list_directory(const std::string& path) {
  // O_NOFOLLOW: a directory that was swapped for a link is not entered.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0) return std::unexpected(io_error(path, errno));
  std::unique_ptr<DIR, CloseDirectory> dir(::fdopendir(fd.get()));
  if (dir == nullptr) return std::unexpected(io_error(path, errno));
  fd.release();  // closed with the directory stream
  std::vector<Entry> entries;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (entry == nullptr) {
      if (errno != 0) return std::unexpected(os_error_text(errno));
      break;
    }
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    EntryKind kind = EntryKind::other;
    switch (entry->d_type) {
      case DT_DIR:
        kind = EntryKind::directory;
        break;
      case DT_REG:
        kind = EntryKind::regular_file;
        break;
      case DT_UNKNOWN: {
        struct stat status {};
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
          return std::unexpected(io_error(join_path(path, name), errno));
        }
        kind = kind_of_mode(status.st_mode);
        break;
      }
      default:
        break;
    }
    if (kind == EntryKind::other) continue;
    // A candidate's name is UTF-8 and ends in ".md" in any letter case.
    if (kind == EntryKind::regular_file && !(has_markdown_extension(name) && is_valid_utf8(name))) {
      continue;
    }
    entries.push_back({std::string(name), kind});
  }
  return entries;
}

std::string join_relative(std::string_view dir, std::string_view name) {
  if (dir.empty()) return std::string(name);
  std::string joined;
  joined.reserve(dir.size() + 1 + name.size());
  joined.append(dir).append("/").append(name);
  return joined;
}

}  // namespace

std::expected<WalkResult, std::string> walk_markdown_candidates(const std::string& root) {
  WalkResult result;
  result.directories.push_back({"", 0});
  // Directories still to list, the next one on top.
  std::vector<std::size_t> pending = {0};
  std::vector<std::size_t> children;
  while (!pending.empty()) {
    std::size_t index = pending.back();
    pending.pop_back();
    std::string relative = result.directories[index].relative_path;
    auto entries = list_directory(relative.empty() ? root : join_path(root, relative));
    if (!entries) return std::unexpected(std::move(entries.error()));
    children.clear();
    for (Entry& entry : *entries) {
      if (entry.kind == EntryKind::directory && !is_pruned(entry.name)) {
        children.push_back(result.directories.size());
        result.directories.push_back({join_relative(relative, entry.name), index});
      } else if (entry.kind == EntryKind::regular_file) {
        result.files.push_back({join_relative(relative, entry.name), index});
      }
    }
    // The first subdirectory listed is walked first.
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return result;
}

}  // namespace zav
