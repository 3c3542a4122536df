// Paths as byte strings compared piece by piece. A path's pieces are the runs
// of bytes between "/" separators, leaving out empty runs and runs that are
// exactly "."; "/" itself has no pieces. ".." is an ordinary piece here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zav {

std::vector<std::string_view> path_pieces(std::string_view path);

// "/" followed by the pieces joined with "/": equal for exactly the paths that
// are equal piece by piece, so it serves as a set or map key.
std::string path_key(std::string_view path);

bool paths_equal(std::string_view a, std::string_view b);

// `b` itself when it begins with "/"; else `dir`, "/" unless `dir` ends in
// one, then `b`.
std::string join_path(std::string_view dir, std::string_view b);

// What follows the last "/" of `path`; the whole path when it has none.
std::string_view file_name(std::string_view path);

// The directory that holds `path`: everything before its last "/"; "/" when
// that "/" is the first byte, and "" when the path has none.
std::string_view parent_directory(std::string_view path);

}  // namespace zav
