// Reads a YAML text on standard input and prints the canonical JSON of its
// frontmatter map, or the error message with exit status 1.
#include <iostream>
#include <iterator>
#include <string>

#include "yaml/canonical_json.hpp"
#include "yaml/frontmatter_yaml.hpp"

int main() {
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
