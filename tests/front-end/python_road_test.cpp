// Every command line that is not an engine command runs a Python interpreter
// found next to the program. The program is copied into a temporary tree so
// that the interpreter candidates of its own directory and its parent are
// the test's own (the walk ends at /bin/python3 otherwise).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "python_handoff.hpp"
#include "run_program.hpp"
#include "temp_tree.hpp"

namespace zav::test {
namespace {

// A fake interpreter that prints its argument vector NUL-separated.
const std::string PRINT_ARGUMENTS = "printf '%s\\0' \"$0\" \"$@\"\n";

std::vector<std::string> split_at_nul(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t nul; (nul = text.find('\0', start)) != std::string::npos; start = nul + 1) {
    parts.push_back(text.substr(start, nul - start));
  }
  return parts;
}

class PythonRoad : public ::testing::Test {
 protected:
  TempTree tree;
  std::string program = copy_program(tree, "app/zav-parser");
};

struct DispatchCase {
  std::vector<std::string> args;
};

TEST_F(PythonRoad, EveryOtherCommandLineReachesTheInterpreterUnchanged) {
  std::string python = write_script(tree, "app/python", PRINT_ARGUMENTS);
  const std::vector<DispatchCase> cases = {
      {{}},
      {{""}},
      {{"--help"}},
      {{"-h"}},
      {{"help"}},
      {{"--version"}},
      {{"check", "__engine-load", "x"}},
      {{"--", "__engine-facts"}},
      {{"__engine-loadx", "x"}},
      {{"__engine-loa", "x"}},
      {{"__ENGINE-LOAD", "x"}},
      {{" __engine-load"}},
      {{"__engine-load\xff"}},
      {{"\xff\xfe", "a b", "", "-m"}},
  };
  for (const auto& c : cases) {
    ProgramRun run = run_program(program, c.args);
    std::vector<std::string> expected{python, "-m", "zav_parser.cli"};
    expected.insert(expected.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(split_at_nul(run.out), expected) << (c.args.empty() ? "" : c.args.front());
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.err, "");
  }
}

TEST_F(PythonRoad, ProgramNameIsNotLookedAt) {
  std::string python = write_script(tree, "app/python", PRINT_ARGUMENTS);
  ProgramOptions options;
  options.argv0 = "__engine-load\xff";
  ProgramRun run = run_program(program, {"__engine-load"}, options);
  // The first argument decides: this is the engine road, which needs a ROOT.
  EXPECT_EQ(run.exit_code, 2);
  options.argv0 = "\xff";
  run = run_program(program, {"x"}, options);
  EXPECT_EQ(split_at_nul(run.out), (std::vector<std::string>{python, "-m", "zav_parser.cli", "x"}));
}

TEST_F(PythonRoad, ChildStatusBecomesTheProgramStatus) {
  struct Case {
    std::string script;
    int status;
  };
  const std::vector<Case> cases = {
      {"exit 0\n", 0},        {"exit 3\n", 3},        {"exit 255\n", 255},
      {"kill -TERM $$\n", 1}, {"kill -KILL $$\n", 1},
  };
  for (const auto& c : cases) {
    write_script(tree, "app/python", c.script);
    ProgramRun run = run_program(program, {"run"});
    EXPECT_EQ(run.signal, 0) << c.script;
    EXPECT_EQ(run.exit_code, c.status) << c.script;
    EXPECT_EQ(run.err, "") << c.script;
  }
}

TEST_F(PythonRoad, ChildInheritsStreamsEnvironmentAndDirectory) {
  // SIGPIPE is bit 13 of the ignored-signal mask: the program ignores it, the
  // child must not.
  write_script(tree, "app/python",
               "cat\n"
               "printf '|%s|%s|' \"$ZAV_TEST_VALUE\" \"$(pwd)\"\n"
               "grep SigIgn /proc/self/status\n"
               "echo to-stderr >&2\n");
  std::string cwd = tree.mkdir("work");
  ProgramOptions options;
  options.input = "from-stdin";
  options.env = std::vector<std::string>{"ZAV_TEST_VALUE=v 1", "PATH=/bin"};
  options.cwd = cwd;
  ProgramRun run = run_program(program, {"x"}, options);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  std::string prefix = "from-stdin|v 1|" + cwd + "|SigIgn:\t";
  ASSERT_EQ(run.out.substr(0, prefix.size()), prefix);
  unsigned long long ignored = std::stoull(run.out.substr(prefix.size()), nullptr, 16);
  EXPECT_EQ(ignored & (1ULL << (13 - 1)), 0u);
  EXPECT_EQ(run.err, "to-stderr\n");
}

TEST_F(PythonRoad, CandidatesAreTriedInOrderFromTheProgramDirectoryUp) {
  struct Case {
    std::vector<std::string> scripts;  // created in this order
    std::string winner;
  };
  const std::vector<Case> cases = {
      {{"bin/python3", "app/bin/python3"}, "app/bin/python3"},
      {{"app/bin/python3", "app/bin/python", "app/python"}, "app/python"},
      {{"app/bin/python3", "app/bin/python"}, "app/bin/python"},
      {{"bin/python3", "python"}, "python"},
      {{"bin/python3"}, "bin/python3"},
  };
  for (const auto& c : cases) {
    TempTree case_tree;
    std::string case_program = copy_program(case_tree, "app/zav-parser");
    for (const auto& script : c.scripts) write_script(case_tree, script, PRINT_ARGUMENTS);
    ProgramRun run = run_program(case_program, {});
    EXPECT_EQ(split_at_nul(run.out).front(), case_tree.path(c.winner)) << c.winner;
  }
}

TEST_F(PythonRoad, OnlyRegularFilesAfterLinksCount) {
  std::string target = write_script(tree, "elsewhere/real-python", PRINT_ARGUMENTS);
  tree.symlink(target, "app/python");
  ProgramRun run = run_program(program, {"a"});
  // The link itself is run; the shell sees its path.
  EXPECT_EQ(split_at_nul(run.out),
            (std::vector<std::string>{tree.path("app/python"), "-m", "zav_parser.cli", "a"}));

  TempTree other;
  std::string other_program = copy_program(other, "app/zav-parser");
  other.symlink("nowhere", "app/python");
  other.mkdir("app/bin/python");
  std::string python3 = write_script(other, "app/bin/python3", PRINT_ARGUMENTS);
  run = run_program(other_program, {});
  EXPECT_EQ(split_at_nul(run.out), (std::vector<std::string>{python3, "-m", "zav_parser.cli"}));
}

TEST_F(PythonRoad, CandidateThatCannotStartEndsTheSearch) {
  write_script(tree, "app/python", "echo ran\n");
  tree.chmod("app/python", 0644);
  write_script(tree, "app/bin/python3", "echo ran\n");
  ProgramRun run = run_program(program, {"x"});
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "zav-parser: Permission denied (os error 13)\n");
  EXPECT_EQ(run.exit_code, 1);
}

TEST(PythonModule, BareNameMissingFromTheSearchPath) {
  TempTree empty;
  const char* saved = std::getenv("PATH");
  std::string saved_path = saved ? saved : "";
  ::setenv("PATH", empty.root().c_str(), 1);
  auto status = run_python_module("python3", {});
  if (saved) ::setenv("PATH", saved_path.c_str(), 1);
  ASSERT_FALSE(status.has_value());
  EXPECT_EQ(status.error().message, "No such file or directory (os error 2)");
}

}  // namespace
}  // namespace zav::test
