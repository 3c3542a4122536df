#include "zav/engine.hpp"

namespace zav {

MarkdownFacts markdown_facts(std::string_view) {
  return {};
}

}  // namespace zav
