#include "engine/records/bundle_path.hpp"

#include <algorithm>

#include "base/path_pieces.hpp"
#include "base/text.hpp"

namespace zav {

bool has_markdown_extension(std::string_view name) {
  if (name.size() < 3) return false;
  std::string_view end = name.substr(name.size() - 3);
  return end[0] == '.' && (end[1] == 'm' || end[1] == 'M') && (end[2] == 'd' || end[2] == 'D');
}

bool is_reserved_file_name(std::string_view name) {
  return std::ranges::find(RESERVED_FILE_NAMES, name) != std::end(RESERVED_FILE_NAMES);
}

std::string bundle_relative_path(std::string_view root, std::string_view path) {
  std::size_t skip = path_pieces(root).size();
  std::string relative;
  std::size_t index = 0;
  for (std::string_view piece : path_pieces(path)) {
    if (index++ < skip) continue;
    if (!relative.empty()) relative.push_back('/');
    relative.append(piece);
  }
  std::string text = utf8_lossy(relative);
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

std::string_view logical_key(std::string_view relative_path) {
  std::size_t dot = relative_path.rfind('.');
  return dot == std::string_view::npos ? relative_path : relative_path.substr(0, dot);
}

}  // namespace zav
