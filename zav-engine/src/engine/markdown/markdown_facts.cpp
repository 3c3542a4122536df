// Markdown facts: the blocks of the text are read first, collecting headings, link reference
// definitions and the inline content that may hold links; then, with every definition known,
// the links of that content in document order.
#include "engine/markdown/markdown_facts.hpp"

#include "engine/markdown/block_parser.hpp"
#include "engine/markdown/inline_links.hpp"
#include "engine/markdown/references.hpp"
#include "zav/engine.hpp"

namespace zav {

MarkdownFacts markdown_facts(std::string_view text) {
  MarkdownFacts facts;
  markdown::ReferenceMap references;
  markdown::InlineContents contents;
  markdown::parse_blocks(text, facts.headings, references, contents);
  for (std::size_t i = 0; i < contents.size(); ++i) {
    markdown::find_links(contents[i], references, facts.links);
  }
  return facts;
}

}  // namespace zav
