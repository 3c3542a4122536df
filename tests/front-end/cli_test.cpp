// The engine command line: argument vectors and what they parse to, the help
// and usage texts, and the streams and statuses of the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <limits>
#include <string>
#include <variant>
#include <vector>

#include "child_process.hpp"
#include "cli/cli.hpp"
#include "cli/cli_help.hpp"
#include "run_program.hpp"
#include "temp_tree.hpp"

namespace zav::test {
namespace {

constexpr std::uint64_t MAX_U64 = std::numeric_limits<std::uint64_t>::max();

// A parse that stops: the status and a part of the text written.
struct Stop {
  int status;
  std::string text_part;
};
using Expected = std::variant<Load, EngineFacts, Stop>;

struct Case {
  std::string subcommand;
  std::vector<std::string> args;
  Expected expected;
};

Load load(std::string root, std::vector<std::string> exclude = {},
          std::uint64_t read_concurrency = 32) {
  return Load{std::move(root), std::move(exclude), read_concurrency};
}

Stop usage(std::string text_part) {
  return Stop{2, std::move(text_part)};
}
Stop help() {
  return Stop{0, "Usage: zp "};
}

std::variant<Cli, ParseExit> parse(const Case& c) {
  std::vector<std::string_view> argv{"/usr/bin/zp", c.subcommand};
  for (const auto& arg : c.args) argv.emplace_back(arg);
  return parse_command_line(argv);
}

const std::string LOAD = "__engine-load";
const std::string FACTS = "__engine-facts";
const std::string INVALID_DIGIT = "invalid digit found in string";

const std::vector<Case> CASES = {
    // Values and their defaults.
    {LOAD, {"dir"}, load("dir")},
    {LOAD,
     {"--exclude", "a", "dir", "--exclude=b", "--exclude", "a"},
     load("dir", {"a", "b", "a"})},
    {LOAD, {"dir", "--exclude="}, load("dir", {""})},
    {LOAD,
     {"--exclude=-x", "--exclude=a=b", "--exclude", "-", "dir"},
     load("dir", {"-x", "a=b", "-"})},
    {LOAD, {"--read-concurrency", "5", "dir"}, load("dir", {}, 5)},
    {LOAD, {"dir", "--read-concurrency=+7"}, load("dir", {}, 7)},
    {LOAD, {"dir", "--read-concurrency", "007"}, load("dir", {}, 7)},
    {LOAD, {"dir", "--read-concurrency", "0"}, load("dir", {}, 0)},
    {LOAD, {"dir", "--read-concurrency=18446744073709551615"}, load("dir", {}, MAX_U64)},
    {LOAD, {"--", "-dir"}, load("-dir")},
    {LOAD, {"--exclude", "a", "--", "--help"}, load("--help", {"a"})},
    {LOAD, {"-"}, load("-")},
    {LOAD, {"dir\xff\xfe"}, load("dir\xff\xfe")},
    {FACTS, {}, EngineFacts{}},
    // Help requests: the first request or error met decides.
    {LOAD, {"--help"}, help()},
    {LOAD, {"-h"}, help()},
    {LOAD, {"/no/such/dir", "--help", "--bogus"}, help()},
    {LOAD, {"--help", "--read-concurrency=x"}, help()},
    {LOAD, {"--help", ""}, help()},
    {LOAD, {"--bogus", "--help"}, usage("unexpected argument '--bogus' found")},
    {LOAD, {"--read-concurrency=x", "--help"}, usage(INVALID_DIGIT)},
    {LOAD, {"", "--help"}, usage("a value is required for '<ROOT>'")},
    {FACTS, {"-h", "x"}, help()},
    {FACTS, {"--help"}, help()},
    // Operands.
    {LOAD, {}, usage("the following required arguments were not provided:\n  <ROOT>")},
    {LOAD, {"--exclude", "a"}, usage("required arguments were not provided")},
    {LOAD, {""}, usage("a value is required for '<ROOT>' but none was supplied")},
    {LOAD, {"a", "b"}, usage("unexpected argument 'b' found")},
    {LOAD, {"a", "--", "b"}, usage("unexpected argument 'b' found")},
    {LOAD, {"a", ""}, usage("unexpected argument '' found")},
    // Options that are not defined.
    {LOAD, {"dir", "--bogus"}, usage("unexpected argument '--bogus' found")},
    {LOAD, {"dir", "--bogus=3"}, usage("unexpected argument '--bogus' found")},
    {LOAD, {"dir", "--version"}, usage("unexpected argument '--version' found")},
    {LOAD, {"dir", "-V"}, usage("unexpected argument '-V' found")},
    {LOAD, {"dir", "--excl", "a"}, usage("unexpected argument '--excl' found")},
    {LOAD, {"dir", "--read_concurrency", "3"}, usage("unexpected argument '--read_concurrency'")},
    {LOAD, {"dir", "-hx"}, usage("unexpected argument '-hx' found")},
    {LOAD, {"dir", "-h=x"}, usage("unexpected argument '-h=x' found")},
    {LOAD, {"dir", "--help=x"}, usage("unexpected value 'x' for '--help'")},
    {LOAD, {"dir", "--\xff"}, usage("unexpected argument '--\xEF\xBF\xBD' found")},
    // Options without a value.
    {LOAD, {"--exclude"}, usage("a value is required for '--exclude <EXCLUDE>'")},
    {LOAD, {"--exclude", "--read-concurrency", "3", "dir"}, usage("for '--exclude <EXCLUDE>'")},
    {LOAD, {"--exclude", "--", "dir"}, usage("a value is required for '--exclude <EXCLUDE>'")},
    {LOAD, {"--exclude", "--help"}, usage("a value is required for '--exclude <EXCLUDE>'")},
    {LOAD, {"--exclude", "--bogus", "dir"}, usage("unexpected argument '--bogus' found")},
    {LOAD, {"dir", "--read-concurrency", "-5"}, usage("unexpected argument '-5' found")},
    {LOAD,
     {"dir", "--read-concurrency", "1", "--read-concurrency"},
     usage("a value is required for '--read-concurrency <READ_CONCURRENCY>'")},
    // Values that are refused.
    {LOAD,
     {"dir", "--read-concurrency", "1", "--read-concurrency", "x"},
     usage("the argument '--read-concurrency <READ_CONCURRENCY>' cannot be used multiple times")},
    {LOAD, {"dir", "--exclude", "\xff"}, usage("invalid UTF-8 was detected")},
    {LOAD, {"dir", "--exclude=\xff"}, usage("invalid UTF-8 was detected")},
    {LOAD, {"dir", "--read-concurrency=\xff"}, usage("invalid UTF-8 was detected")},
    {LOAD, {"--exclude=\xff", "--read-concurrency=x", "dir"}, usage("invalid UTF-8 was detected")},
    {LOAD,
     {"dir", "--read-concurrency=18446744073709551616"},
     usage("invalid value '18446744073709551616' for '--read-concurrency <READ_CONCURRENCY>': "
           "number too large to fit in target type")},
    {LOAD,
     {"dir", "--read-concurrency=99999999999999999999x"},
     usage("number too large to fit in target type")},
    {LOAD, {"dir", "--read-concurrency=1x99999999999999999999"}, usage(INVALID_DIGIT)},
    {LOAD,
     {"dir", "--read-concurrency="},
     usage("invalid value '' for '--read-concurrency <READ_CONCURRENCY>': "
           "cannot parse integer from empty string")},
    {LOAD,
     {"dir", "--read-concurrency=-5"},
     usage("invalid value '-5' for '--read-concurrency <READ_CONCURRENCY>': " + INVALID_DIGIT)},
    {LOAD, {"dir", "--read-concurrency", "+"}, usage(INVALID_DIGIT)},
    {LOAD, {"dir", "--read-concurrency=-"}, usage(INVALID_DIGIT)},
    {LOAD, {"dir", "--read-concurrency=++7"}, usage(INVALID_DIGIT)},
    {LOAD, {"dir", "--read-concurrency", " 5"}, usage(INVALID_DIGIT)},
    {LOAD, {"dir", "--read-concurrency", "5 "}, usage(INVALID_DIGIT)},
    {LOAD, {"dir", "--read-concurrency", "1_0"}, usage(INVALID_DIGIT)},
    {LOAD, {"dir", "--read-concurrency", "0x10"}, usage(INVALID_DIGIT)},
    {LOAD, {"dir", "--read-concurrency", "1.0"}, usage(INVALID_DIGIT)},
    {LOAD, {"dir", "--read-concurrency", "\xd9\xa3"}, usage(INVALID_DIGIT)},
    // The facts command takes nothing but the help flag.
    {FACTS, {"x"}, usage("unexpected argument 'x' found")},
    {FACTS, {"--"}, usage("unexpected argument '--' found")},
    {FACTS, {"x", "-h"}, usage("unexpected argument 'x' found")},
    {FACTS, {"--bogus"}, usage("unexpected argument '--bogus' found")},
};

std::string describe(const Case& c) {
  std::string text = c.subcommand;
  for (const auto& arg : c.args) text += " [" + arg + "]";
  return text;
}

TEST(CommandLine, ArgumentVectors) {
  for (const Case& c : CASES) {
    SCOPED_TRACE(describe(c));
    auto parsed = parse(c);
    if (const Stop* stop = std::get_if<Stop>(&c.expected)) {
      const ParseExit* exit = std::get_if<ParseExit>(&parsed);
      ASSERT_NE(exit, nullptr);
      EXPECT_EQ(exit->status, stop->status);
      EXPECT_NE(exit->text.find(stop->text_part), std::string::npos) << exit->text;
      continue;
    }
    const Cli* cli = std::get_if<Cli>(&parsed);
    ASSERT_NE(cli, nullptr) << std::get<ParseExit>(parsed).text;
    if (std::holds_alternative<EngineFacts>(c.expected)) {
      EXPECT_TRUE(std::holds_alternative<EngineFacts>(cli->command));
      continue;
    }
    const Load& expected = std::get<Load>(c.expected);
    const EngineLoad* got = std::get_if<EngineLoad>(&cli->command);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->load.root, expected.root);
    EXPECT_EQ(got->load.exclude, expected.exclude);
    EXPECT_EQ(got->load.read_concurrency, expected.read_concurrency);
  }
}

TEST(CommandLine, HelpAndUsageTexts) {
  auto help_text = [](std::string_view subcommand) {
    std::vector<std::string_view> argv{"/opt/tool/bin/zp", subcommand, "--help"};
    return std::get<ParseExit>(parse_command_line(argv)).text;
  };
  EXPECT_EQ(help_text(LOAD),
            "Usage: zp __engine-load [OPTIONS] <ROOT>\n"
            "\n"
            "Arguments:\n"
            "  <ROOT>\n"
            "\n"
            "Options:\n"
            "      --exclude <EXCLUDE>\n"
            "      --read-concurrency <READ_CONCURRENCY>  [default: 32]\n"
            "  -h, --help                                 Print help\n");
  EXPECT_EQ(help_text(FACTS),
            "Usage: zp __engine-facts\n"
            "\n"
            "Options:\n"
            "  -h, --help  Print help\n");
  std::vector<std::string_view> argv{"zp", LOAD, "a", "b"};
  EXPECT_EQ(std::get<ParseExit>(parse_command_line(argv)).text,
            "error: unexpected argument 'b' found\n"
            "\n"
            "Usage: zp __engine-load [OPTIONS] <ROOT>\n"
            "\n"
            "For more information, try '--help'.\n");
}

TEST(CommandLine, ProgramNameInTexts) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/opt/tool/bin/zav-parser", "zav-parser"},
      {"zp", "zp"},
      {"./bin/zp/", "zp"},
      {"bin/zp/.", "zp"},
      {"", "zav-parser"},
      {"/", "zav-parser"},
      {"bin/..", "zav-parser"},
      {"/bin/zp\xff", "zav-parser"},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(program_display_name(path), name) << path;
}

class ProgramCommandLine : public ::testing::Test {
 protected:
  TempTree tree;
};

TEST_F(ProgramCommandLine, HelpGoesToStandardOutputAndErrorsToStandardError) {
  std::string link = tree.path("zp");
  tree.symlink(ZAV_PARSER_PATH, "zp");
  ProgramRun run = run_program(link, {LOAD, "/no/such/dir", "--help"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out.rfind("Usage: zp __engine-load [OPTIONS] <ROOT>\n", 0), 0u) << run.out;
  EXPECT_EQ(run.err, "");

  run = run_program(link, {LOAD});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("Usage: zp __engine-load"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("zav-parser: "), std::string::npos);

  run = run_program(link, {LOAD, tree.root(), "--read-concurrency", "0"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "zav-parser: read concurrency must be an integer from 1 through 256\n");
}

TEST_F(ProgramCommandLine, UsageErrorsLeaveStandardInputUnread) {
  std::string input = tree.write("input.json", "{\"documents\":[]}");
  const std::vector<std::vector<std::string>> cases = {
      {FACTS, "x"}, {FACTS, "--help"}, {FACTS, "--", "x"}, {LOAD}};
  for (const auto& args : cases) {
    int fd = ::open(input.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int null_out = ::open("/dev/null", O_WRONLY);
    DescriptorRun run = run_with_descriptors(ZAV_PARSER_PATH, args, fd, null_out);
    // The child shares the open file, so its offset shows any read.
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 0) << args.back();
    EXPECT_NE(run.exit_code, 1) << run.err;
    ::close(fd);
    ::close(null_out);
  }
}

}  // namespace
}  // namespace zav::test
