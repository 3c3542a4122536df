// The two engine commands run as the built program: the document on standard
// output, or one "zav-parser: " line and status 1.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "child_process.hpp"
#include "run_program.hpp"
#include "temp_tree.hpp"

namespace zav::test {
namespace {

const std::string PROGRAM = ZAV_PARSER_PATH;

struct FailureCase {
  std::vector<std::string> args;
  std::string input;
  std::string message;
};

void expect_failure(const ProgramRun& run, const std::string& message) {
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "zav-parser: " + message + "\n");
  EXPECT_EQ(run.exit_code, 1);
}

TEST(LoadCommand, EmptyBundleDocument) {
  TempTree tree;
  tree.mkdir("bundle");
  ProgramRun run = run_program(PROGRAM, {"__engine-load", "bundle"}, {"", {}, tree.root(), ""});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "{\"root\":\"" + tree.path("bundle") +
                         "\",\"concepts\":[],\"reserved\":[],\"links\":[],\"diagnostics\":[],"
                         "\"markdown_count\":0}");
}

TEST(LoadCommand, FailedLoadWritesNothing) {
  TempTree tree;
  std::string file = tree.write("file.md", "# Not a directory\n");
  const std::string range = "read concurrency must be an integer from 1 through 256";
  const std::vector<FailureCase> cases = {
      {{"__engine-load", file}, "", "bundle root is not a directory"},
      {{"__engine-load", tree.path("missing")}, "", "No such file or directory (os error 2)"},
      {{"__engine-load", tree.root(), "--read-concurrency", "0"}, "", range},
      {{"__engine-load", tree.root(), "--read-concurrency=300"}, "", range},
      {{"__engine-load", tree.root(), "--read-concurrency", "18446744073709551615"}, "", range},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    expect_failure(run_program(PROGRAM, c.args), c.message);
  }
}

// Runs the program with standard output on a pipe whose reader is gone.
DescriptorRun run_into_closed_pipe(const std::vector<std::string>& args) {
  int ends[2];
  EXPECT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
  int null_in = ::open("/dev/null", O_RDONLY);
  DescriptorRun run = run_with_descriptors(PROGRAM, args, null_in, ends[1]);
  ::close(null_in);
  ::close(ends[1]);
  return run;
}

TEST(LoadCommand, ReaderGoneIsAnErrorNotASignal) {
  TempTree tree;
  tree.mkdir("small");
  // Enough files for a document far larger than the output buffer.
  for (int i = 0; i < 2000; ++i) {
    tree.write("large/notes/concept-number-" + std::to_string(i) + ".md",
               "---\ntype: note\n---\nbody\n");
  }
  for (const char* bundle : {"small", "large"}) {
    DescriptorRun run = run_into_closed_pipe({"__engine-load", tree.path(bundle)});
    EXPECT_EQ(run.signal, 0) << bundle;
    EXPECT_EQ(run.exit_code, 1) << bundle;
    EXPECT_EQ(run.err, "zav-parser: Broken pipe (os error 32)\n") << bundle;
  }
}

TEST(LoadCommand, FullDeviceIsReported) {
  TempTree tree;
  int full = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  int null_in = ::open("/dev/null", O_RDONLY);
  DescriptorRun run = run_with_descriptors(PROGRAM, {"__engine-load", tree.root()}, null_in, full);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "zav-parser: No space left on device (os error 28)\n");
  ::close(full);
  ::close(null_in);
}

// Standard descriptors closed at start-up are opened on /dev/null: output
// into it succeeds and input from it is empty.
TEST(StartUp, ClosedStandardDescriptorsReadAndWriteNothing) {
  TempTree tree;
  DescriptorRun load = run_with_descriptors(PROGRAM, {"__engine-load", tree.root()},
                                            CLOSED_DESCRIPTOR, CLOSED_DESCRIPTOR);
  EXPECT_EQ(load.exit_code, 0);
  EXPECT_EQ(load.err, "");
  DescriptorRun facts =
      run_with_descriptors(PROGRAM, {"__engine-facts"}, CLOSED_DESCRIPTOR, CLOSED_DESCRIPTOR);
  EXPECT_EQ(facts.exit_code, 1);
  EXPECT_EQ(facts.err, "zav-parser: EOF while parsing a value at line 1 column 0\n");
}

// At start-up the heap reserves a gigabyte of addresses ahead; where the
// system refuses that, the heap grows as usual and the load gives the same
// document.
TEST(StartUp, LoadsAlikeWhereTheHeapCannotReserveAhead) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
  TempTree tree;
  tree.write("a.md", "---\ntype: note\n---\n# A\n[b](b.md) [c](c.md)\n");
  tree.write("b.md", "---\ntype: note\ntitle: B\n---\n" + std::string(3000, 'x') + "\n");
  ProgramRun usual = run_program(PROGRAM, {"__engine-load", tree.root()});
  ProgramRun limited = run_program(
      "/bin/sh", {"-c", "ulimit -v 786432 && exec \"$0\" __engine-load \"$1\"", PROGRAM,
                  tree.root()});
  EXPECT_EQ(usual.exit_code, 0);
  EXPECT_EQ(limited.exit_code, 0) << limited.err;
  EXPECT_EQ(limited.err, "");
  EXPECT_TRUE(limited.out == usual.out);
}

TEST(FactsCommand, InputFailures) {
  const std::string not_utf8 = "stream did not contain valid UTF-8";
  const std::vector<FailureCase> cases = {
      {{"__engine-facts"}, "{\"documents\":[\"\xff\"]}", not_utf8},
      {{"__engine-facts"}, "{\"skipped\":[\"a\xc3\"],\"documents\":[]}", not_utf8},
      {{"__engine-facts"}, "[[\"\xed\xa0\x80\"]]", not_utf8},
      {{"__engine-facts"}, "\xef\xbb\xbf\xff", not_utf8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    expect_failure(run_program(PROGRAM, c.args, {c.input, {}, "", ""}), c.message);
  }
}

TEST(FactsCommand, UnreadableInput) {
  int directory = ::open("/", O_RDONLY | O_DIRECTORY);
  int null_out = ::open("/dev/null", O_WRONLY);
  DescriptorRun run = run_with_descriptors(PROGRAM, {"__engine-facts"}, directory, null_out);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "zav-parser: Is a directory (os error 21)\n");
  ::close(directory);
  ::close(null_out);
}

TEST(FactsCommand, InputErrorsAreOneLineAndNoOutput) {
  struct Case {
    std::string input;
    std::string err;
  };
  const Case cases[] = {
      {"", "zav-parser: EOF while parsing a value at line 1 column 0\n"},
      {"{\"documents\":[1]}",
       "zav-parser: invalid type: integer `1`, expected a string at line 1 column 15\n"},
      {"[]",
       "zav-parser: invalid length 0, expected struct Legacy with 1 element at line 1 column 2\n"},
  };
  for (const auto& c : cases) {
    ProgramOptions options;
    options.input = c.input;
    ProgramRun run = run_program(PROGRAM, {"__engine-facts"}, options);
    EXPECT_EQ(run.out, "") << c.input;
    EXPECT_EQ(run.exit_code, 1) << c.input;
    EXPECT_EQ(run.err, c.err) << c.input;
  }
}

TEST(FactsCommand, WritesOneObjectPerDocumentInOrder) {
  ProgramOptions options;
  options.input = "[[\"\", \"\"]]";
  ProgramRun run = run_program(PROGRAM, {"__engine-facts"}, options);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, R"([{"links":[],"headings":[]},{"links":[],"headings":[]}])");
  options.input = "{\"documents\":[]}";
  EXPECT_EQ(run_program(PROGRAM, {"__engine-facts"}, options).out, "[]");
}

}  // namespace
}  // namespace zav::test
