// Developer probe: lists the Markdown files that discovery keeps below ROOT,
// relative to ROOT, one a line; or prints the failure and exits with 1.
//   list_markdown_files ROOT [EXCLUDE]...
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/discover/discovery.hpp"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s ROOT [EXCLUDE]...\n", argv[0]);
    return 2;
  }
  char* resolved = ::realpath(argv[1], nullptr);
  if (resolved == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::string root(resolved);
  std::free(resolved);
  std::vector<std::string> excludes(argv + 2, argv + argc);
  auto files = zav::discover_markdown_files(root, excludes);
  if (!files) {
    std::fprintf(stderr, "%s\n", files.error().c_str());
    return 1;
  }
  std::size_t skip = root == "/" ? 1 : root.size() + 1;
  for (const std::string& file : *files) {
    std::fwrite(file.data() + skip, 1, file.size() - skip, stdout);
    std::fputc('\n', stdout);
  }
  return 0;
}
