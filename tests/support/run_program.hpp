// Runs a program as a child with given arguments and standard input and
// collects its output and status.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zav::test {

struct ProgramRun {
  std::string out;
  std::string err;
  int exit_code = -1;   // when the child exited
  int signal = 0;       // when a signal ended it
};

struct ProgramOptions {
  std::string input;                              // written to its standard input
  std::optional<std::vector<std::string>> env;    // whole environment; inherited when absent
  std::string cwd;                                // working directory; inherited when empty
  std::string argv0;                              // program name; the path when empty
};

// How a child ended: waits for it (repeating interrupted waits).
struct ChildEnd {
  int exit_code = -1;  // when the child exited
  int signal = 0;      // when a signal ended it
};
ChildEnd wait_for_child(int pid);

// `program` is a path; arguments are raw bytes.
ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const ProgramOptions& options = {});

}  // namespace zav::test
