// Front-end test helpers: a copy of the built program in a temporary tree,
// and runs of a program with chosen descriptors for its standard streams.
#pragma once

#include <string>
#include <vector>

#include "temp_tree.hpp"

namespace zav::test {

// Copies the built program to `relative` below the tree; returns its path.
std::string copy_program(const TempTree& tree, const std::string& relative);

// Writes an executable shell script; returns its path.
std::string write_script(const TempTree& tree, const std::string& relative,
                         const std::string& body);

struct DescriptorRun {
  std::string err;
  int exit_code = -1;  // when the child exited
  int signal = 0;      // when a signal ended it
};

// Stands for a descriptor that the child starts with closed.
inline constexpr int CLOSED_DESCRIPTOR = -1;

// Runs `program` with `stdin_fd` and `stdout_fd` as its descriptors 0 and 1
// (or with them closed) and collects standard error.
DescriptorRun run_with_descriptors(const std::string& program, const std::vector<std::string>& args,
                                   int stdin_fd, int stdout_fd);

}  // namespace zav::test
