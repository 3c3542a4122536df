// Reading one discovered file whole.
#pragma once

#include <string>
#include <string_view>

#include "engine/read/source_file.hpp"

namespace zav {

// Runs on a read-pool worker. `root_directory` is the root opened with
// O_PATH; the file is opened below it. A failed read or invalid UTF-8 makes
// the content a ReadFailure; never throws.
SourceFile read_source_file(std::string_view root, int root_directory,
                            std::string_view absolute_path);

// Opens `relative` (a path below `root`, a directory descriptor) for reading
// without following a symbolic link, opening each directory on the way in
// turn; a link anywhere fails with ELOOP. What the read falls back to where
// openat2(2) is not available.
int open_each_directory_below(int root, const std::string& relative);

}  // namespace zav
