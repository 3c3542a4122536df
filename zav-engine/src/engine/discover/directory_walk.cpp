#include "engine/discover/directory_walk.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

#include "base/os_error.hpp"
#include "base/path_pieces.hpp"
#include "base/text.hpp"
#include "engine/discover/discovery.hpp"

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

class DirectoryHandle {
 public:
  explicit DirectoryHandle(DIR* dir) : dir_(dir) {}
  ~DirectoryHandle() {
    if (dir_ != nullptr) ::closedir(dir_);
  }
  DirectoryHandle(const DirectoryHandle&) = delete;
  DirectoryHandle& operator=(const DirectoryHandle&) = delete;
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

// The subdirectories and Markdown candidates of one directory, in listing
// order. The directory is closed again before this returns, so that no
// descriptor stays open while the walk goes deeper.
std::expected<std::vector<Entry>, std::string> list_directory(const std::string& path) {
  // O_NOFOLLOW: a directory that was swapped for a link is not entered.
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return std::unexpected(io_error(path, errno));
  DirectoryHandle dir(::fdopendir(fd));
  if (dir.get() == nullptr) {
    int error_number = errno;
    ::close(fd);
    return std::unexpected(io_error(path, error_number));
  }
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
    if (kind == EntryKind::regular_file && !is_markdown_name(name)) continue;
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

bool is_markdown_name(std::string_view name) {
  if (name.size() < 3 || !is_valid_utf8(name)) return false;
  std::string_view end = name.substr(name.size() - 3);
  return end[0] == '.' && (end[1] == 'm' || end[1] == 'M') && (end[2] == 'd' || end[2] == 'D');
}

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
