#include "engine/read/source_file.hpp"

#include "base/path_pieces.hpp"

namespace zav {

void KnownPaths::insert(std::string_view path) {
  keys_.insert(path_key(path));
}

}  // namespace zav
