#include "temp_tree.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace zav::test {
namespace fs = std::filesystem;

TempTree::TempTree() {
  std::string pattern = (fs::temp_directory_path() / "zav-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = fs::canonical(pattern).string();
}

TempTree::~TempTree() {
  std::error_code error;
  // Give every directory back its permissions so that the tree can go.
  for (auto it = fs::recursive_directory_iterator(
           root_, fs::directory_options::skip_permission_denied, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) {
      ::chmod(it->path().c_str(), 0700);
    }
  }
  ::chmod(root_.c_str(), 0700);
  fs::remove_all(root_, error);
}

std::string TempTree::path(std::string_view relative) const {
  return relative.empty() ? root_ : root_ + "/" + std::string(relative);
}

std::string TempTree::write(std::string_view relative, std::string_view bytes) const {
  std::string full = path(relative);
  fs::create_directories(fs::path(full).parent_path());
  std::ofstream out(full, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return full;
}

std::string TempTree::mkdir(std::string_view relative) const {
  std::string full = path(relative);
  fs::create_directories(full);
  return full;
}

void TempTree::symlink(std::string_view target, std::string_view relative) const {
  std::string full = path(relative);
  fs::create_directories(fs::path(full).parent_path());
  if (::symlink(std::string(target).c_str(), full.c_str()) != 0) {
    throw std::runtime_error("symlink failed");
  }
}

void TempTree::chmod(std::string_view relative, unsigned mode) const {
  ::chmod(path(relative).c_str(), mode);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace zav::test
