// The standard-output stream's 1024-byte buffer: what reaches the descriptor
// after each piece.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "output_test_support.hpp"
#include "process.hpp"

namespace zav::test {
namespace {

struct Step {
  std::string piece;
  std::size_t delivered;  // bytes at the descriptor afterwards
  std::size_t buffered;
};

// A piece of `size` bytes of one letter, so that the order shows.
std::string filler(std::size_t size, char letter) {
  return std::string(size, letter);
}

TEST(OutputStreamBuffer, PiecesBelowAtAndAboveTheBufferSize) {
  const std::vector<std::vector<Step>> cases = {
      {{filler(10, 'a'), 0, 10}, {filler(1014, 'b'), 0, 1024}, {filler(1, 'c'), 1024, 1}},
      {{filler(1000, 'a'), 0, 1000}, {filler(30, 'b'), 1000, 30}},
      {{filler(1023, 'a'), 0, 1023}},
      {{filler(1024, 'a'), 1024, 0}, {filler(1, 'b'), 1024, 1}},
      {{filler(1025, 'a'), 1025, 0}},
      {{filler(10, 'a'), 0, 10}, {filler(1024, 'b'), 1034, 0}},
      {{filler(10, 'a'), 0, 10}, {filler(2000, 'b'), 2010, 0}, {filler(5, 'c'), 2010, 5}},
      {{"ab", 0, 2}, {"cd\nef", 5, 2}, {"g", 5, 3}},
      {{"x\ny\n", 4, 0}},
      {{filler(1020, 'a'), 0, 1020}, {"bcdef\ng", 1026, 1}},
  };
  for (const auto& steps : cases) {
    MemoryStream out;
    std::string all;
    for (const Step& step : steps) {
      SCOPED_TRACE(step.piece.substr(0, 8) + "... of " + std::to_string(step.piece.size()));
      ASSERT_TRUE(out.stream.write(step.piece).has_value());
      all += step.piece;
      EXPECT_EQ(out.descriptor.contents().size(), step.delivered);
      EXPECT_EQ(buffered(out.stream), step.buffered);
    }
    EXPECT_EQ(out.document(), all);
  }
}

TEST(OutputStreamBuffer, FailedWriteReportsTheErrorAndDropsTheBuffer) {
  std::signal(SIGPIPE, SIG_IGN);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
  OutputStream stream(ends[1]);
  ASSERT_TRUE(stream.write("small").has_value());
  auto flushed = stream.flush();
  ASSERT_FALSE(flushed.has_value());
  EXPECT_EQ(flushed.error().error_number, EPIPE);
  EXPECT_EQ(buffered(stream), 0u);
  auto written = stream.write(filler(2000, 'x'));
  ASSERT_FALSE(written.has_value());
  EXPECT_EQ(written.error().error_number, EPIPE);
  ::close(ends[1]);
}

}  // namespace
}  // namespace zav::test
