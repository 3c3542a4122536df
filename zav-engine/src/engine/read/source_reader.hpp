// Reading one discovered file whole, into the record that the checks take.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace zav {

// The error message of a failed read.
struct ReadFailure {
  std::string message;
};

// One discovered file after the parallel read.
struct SourceFile {
  // The whole file text (valid UTF-8, unchanged), or why it could not be read.
  std::variant<std::string, ReadFailure> content;
  std::string absolute_path;
  std::string relative_path;
};

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
