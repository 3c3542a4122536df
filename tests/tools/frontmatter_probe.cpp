// Reads a YAML text on standard input and prints the canonical JSON of its
// frontmatter map, or the error message with exit status 1.
//
// With "--time ROOT [ROUNDS]" it takes the frontmatter block of every UTF-8
// Markdown file under ROOT (not index.md or log.md; line ends normalised and
// the block split off as a load does), converts all of them ROUNDS times
// (default 5) after one round to warm up, and prints the milliseconds of
// each round: the frontmatter step of a load, timed by itself.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "engine/concepts/concept_checks.hpp"
#include "engine/split/frontmatter_split.hpp"
#include "yaml/canonical_json.hpp"
#include "yaml/frontmatter_yaml.hpp"
#include "base/text.hpp"

namespace {

std::vector<std::string> frontmatter_blocks(const std::filesystem::path& root) {
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    std::string name = entry.path().filename().string();
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) {
      return static_cast<char>(std::tolower(c));
    });
    if (lower.ends_with(".md") && name != "index.md" && name != "log.md") {
      paths.push_back(entry.path());
    }
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::string> blocks;
  for (const auto& path : paths) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    if (!zav::is_valid_utf8(content.str())) continue;  // a load converts none of these
    std::string text = zav::normalize_line_ends(content.str());
    if (auto split = zav::split_frontmatter(text)) blocks.emplace_back(split->yaml);
  }
  return blocks;
}

int time_blocks(const char* root, int rounds) {
  std::vector<std::string> blocks = frontmatter_blocks(root);
  std::size_t maps = 0;
  for (int round = 0; round <= rounds; ++round) {
    auto start = std::chrono::steady_clock::now();
    for (const std::string& block : blocks) maps += zav::parse_frontmatter(block).has_value();
    auto end = std::chrono::steady_clock::now();
    if (round > 0) {
      std::printf("%.1f\n", std::chrono::duration<double, std::milli>(end - start).count());
    }
  }
  std::fprintf(stderr, "%zu blocks, %zu maps per round\n", blocks.size(), maps / (rounds + 1));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--time") {
    return time_blocks(argv[2], argc >= 4 ? std::atoi(argv[3]) : 5);
  }
  std::string yaml((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  auto map = zav::parse_frontmatter(yaml);
  if (!map) {
    std::cout << map.error() << '\n';
    return 1;
  }
  std::string json;
  zav::write_canonical_json(*map, json);
  std::cout << json << '\n';
  return 0;
}
