#include "base/path_pieces.hpp"

namespace zav {
namespace {

// Calls `visit` for each piece in order; stops early when it returns false.
template <typename Visit>
void for_each_piece(std::string_view path, Visit visit) {
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t end = path.find('/', pos);
    if (end == std::string_view::npos) end = path.size();
    std::string_view piece = path.substr(pos, end - pos);
    if (!piece.empty() && piece != ".") {
      if (!visit(piece)) return;
    }
    pos = end + 1;
  }
}

}  // namespace

std::vector<std::string_view> path_pieces(std::string_view path) {
  std::vector<std::string_view> pieces;
  for_each_piece(path, [&](std::string_view piece) {
    pieces.push_back(piece);
    return true;
  });
  return pieces;
}

std::string path_key(std::string_view path) {
  std::string key;
  key.reserve(path.size() + 1);
  for_each_piece(path, [&](std::string_view piece) {
    key.push_back('/');
    key.append(piece);
    return true;
  });
  if (key.empty()) key.push_back('/');
  return key;
}

bool paths_equal(std::string_view a, std::string_view b) {
  return path_pieces(a) == path_pieces(b);
}

std::string join_path(std::string_view dir, std::string_view b) {
  if (!b.empty() && b.front() == '/') return std::string(b);
  std::string joined(dir);
  if (joined.empty() || joined.back() != '/') joined.push_back('/');
  joined.append(b);
  return joined;
}

std::string_view file_name(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view parent_directory(std::string_view path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace zav
