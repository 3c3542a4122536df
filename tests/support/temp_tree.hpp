// A temporary directory for tests, removed (permissions restored first) when
// the object goes away.
#pragma once

#include <string>
#include <string_view>

namespace zav::test {

class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The directory's absolute, canonical path.
  const std::string& root() const { return root_; }
  std::string path(std::string_view relative) const;

  // Writes a file (parent directories made as needed) and returns its path.
  std::string write(std::string_view relative, std::string_view bytes) const;
  std::string mkdir(std::string_view relative) const;
  void symlink(std::string_view target, std::string_view relative) const;
  void chmod(std::string_view relative, unsigned mode) const;

 private:
  std::string root_;
};

// Reads a whole file; empty when it cannot be read.
std::string read_file(const std::string& path);

}  // namespace zav::test
