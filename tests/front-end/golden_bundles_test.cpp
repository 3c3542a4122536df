// Whole load documents of fixture bundles, byte for byte.
#include <gtest/gtest.h>
#include <climits>
#include <cstdlib>

#include "run_program.hpp"
#include "temp_tree.hpp"

namespace zav::test {
namespace {

std::string canonical(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// The expected document with its "@ROOT@" placeholder filled in.
std::string expected_document(const std::string& golden, const std::string& root) {
  std::string text = read_file(golden);
  std::size_t at = text.find("@ROOT@");
  if (at != std::string::npos) text.replace(at, 6, root);
  return text;
}

TEST(GoldenBundles, LoadDocumentsMatchByteForByte) {
  const std::string data = ZAV_TEST_DATA "/bundles/";
  struct Case {
    std::string root;
    std::string golden;
  };
  const Case cases[] = {
      {data + "mixed", data + "mixed.json"},
      {data + "frontmatter", data + "frontmatter.json"},
      {data + "../../../examples/bundle", data + "examples.json"},
  };
  for (const auto& c : cases) {
    std::string root = canonical(c.root);
    ProgramRun run = run_program(ZAV_PARSER_PATH, {"__engine-load", c.root});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, expected_document(c.golden, root)) << c.root;
  }
}

}  // namespace
}  // namespace zav::test
