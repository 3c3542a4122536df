// Markdown facts of any UTF-8 text, checked for what holds whatever the parser: no crash;
// heading levels 1 to 6; each heading text a piece of the input, valid UTF-8, without white
// space at either end, and later in the input than the text of the heading before it; every
// link destination valid UTF-8.
// Time must grow linearly with the text. For one input in REPEAT_ONE_IN (chosen by the input's
// bytes, so that a report reproduces) the input is repeated to REPEATED_SIZE bytes, then to
// GROWTH and GROWTH squared times that, and the processor time of each is measured. A linear
// parser takes about GROWTH times longer at each step, a quadratic one GROWTH squared. Time per
// byte also rises with the size of a linear parser's memory (caches, page faults, the
// sanitizer's quarantine), by a few times in all and mostly at one step; so the input fails
// only when both steps exceed SLACK times GROWTH.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "base/text.hpp"
#include "zav/engine.hpp"

namespace {

constexpr std::uint32_t REPEAT_ONE_IN = 64;
constexpr std::size_t REPEATED_SIZE = std::size_t{4} << 10;
constexpr std::size_t GROWTH = 16;
constexpr double SLACK = 6;
constexpr double MEASURABLE_SECONDS = 0.01;  // the largest text read faster passes as it is

[[noreturn]] void fail(const char* what, std::string_view text) {
  std::fprintf(stderr, "markdown facts: %s (text of %zu bytes)\n", what, text.size());
  std::abort();
}

bool is_line_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void check_facts(std::string_view text, const zav::MarkdownFacts& facts) {
  std::size_t after_previous = 0;
  for (const zav::Heading& heading : facts.headings) {
    if (heading.level < 1 || heading.level > 6) fail("heading level out of 1 to 6", text);
    if (heading.text.empty()) continue;
    std::size_t at = text.find(heading.text, after_previous);
    if (at == std::string_view::npos) fail("heading text not in the text, in order", text);
    after_previous = at + heading.text.size();
    if (!zav::is_valid_utf8(heading.text)) fail("heading text cuts a character", text);
    if (is_line_space(heading.text.front()) || is_line_space(heading.text.back())) {
      fail("heading text with white space at an end", text);
    }
  }
  for (const std::string& link : facts.links) {
    if (!zav::is_valid_utf8(link)) fail("link destination not UTF-8", text);
  }
}

std::uint32_t fnv1a(std::string_view bytes) {
  std::uint32_t hash = 2166136261u;
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

// The least processor time, in seconds, of `runs` reads of `text`, each checked.
double cpu_seconds(std::string_view text, int runs) {
  double least = 0;
  for (int run = 0; run < runs; ++run) {
    std::clock_t start = std::clock();
    zav::MarkdownFacts facts = zav::markdown_facts(text);
    double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (run == 0 || seconds < least) least = seconds;
    check_facts(text, facts);
  }
  return least;
}

std::string repeated(std::string_view text, std::size_t times) {
  std::string out;
  out.reserve(text.size() * times);
  for (std::size_t i = 0; i < times; ++i) out.append(text);
  return out;
}

void check_linear_time(std::string_view text) {
  std::string small = repeated(text, (REPEATED_SIZE + text.size() - 1) / text.size());
  std::string medium = repeated(small, GROWTH);
  double bound = SLACK * GROWTH;
  double small_seconds = cpu_seconds(small, 3);
  double medium_seconds = cpu_seconds(medium, 2);
  if (medium_seconds <= bound * small_seconds) return;
  std::string large = repeated(medium, GROWTH);
  double large_seconds = cpu_seconds(large, 1);
  if (large_seconds < MEASURABLE_SECONDS || large_seconds <= bound * medium_seconds) return;
  large_seconds = std::min(large_seconds, cpu_seconds(large, 1));
  if (large_seconds <= bound * medium_seconds) return;
  std::fprintf(stderr, "markdown facts: %.4f s, %.4f s and %.4f s for %zu, %zu and %zu bytes\n",
               small_seconds, medium_seconds, large_seconds, small.size(), medium.size(),
               large.size());
  fail("time grows faster than the text", large);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!zav::is_valid_utf8(text)) return -1;
  check_facts(text, zav::markdown_facts(text));
  if (!text.empty() && fnv1a(text) % REPEAT_ONE_IN == 0) check_linear_time(text);
  return 0;
}
