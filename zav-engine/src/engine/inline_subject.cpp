#include "engine/inline_subject.hpp"

#include <algorithm>

namespace zav {

InlineSubject::InlineSubject(std::string_view text, const LineTable& lines, std::size_t first_line,
                             std::size_t first_offset, std::size_t last_line,
                             const ContainerChain* chain)
    : text_(text), lines_(lines) {
  add_line(first_line, first_offset, 0);
  for (std::size_t line = first_line + 1; line <= last_line && chain != nullptr; ++line) {
    ContainerChain::LineStart start = chain->content_start(line);
    LinePosition position = start.position;
    std::size_t spaces = 0;
    // A lazy line keeps its leading white space; a tab that a container took only part of
    // becomes the spaces that are left of it.
    if (start.lazy && position.partial_tab) {
      spaces = static_cast<std::size_t>(4 - position.column % 4);
      ++position.offset;
    }
    add_line(line, position.offset, spaces);
  }
}

void InlineSubject::add_line(std::size_t line, std::size_t from, std::size_t spaces) {
  if (spaces > 0) add_run(std::string(spaces, ' '), from - 1, false);
  std::size_t end = lines_.end(line);
  from = std::min(from, end);
  while (from < end) {
    std::size_t nul = text_.substr(from, end - from).find('\0');
    nul = nul == std::string_view::npos ? end : from + nul;
    if (nul == end) {
      add_run(text_.substr(from, end - from), from, true);
      break;
    }
    if (nul > from) add_run(text_.substr(from, nul - from), from, true);
    add_run("\xEF\xBF\xBD", nul, false);
    from = nul + 1;
  }
  // The parser ends every line with one line feed, whatever the line ending was.
  add_run("\n", end, false);
}

void InlineSubject::add_run(std::string_view run, std::size_t source, bool verbatim) {
  anchors_.push_back(Anchor{subject_.size(), source, verbatim});
  subject_.append(run);
}

std::size_t InlineSubject::source_offset(std::size_t offset) const {
  if (offset >= subject_.size()) return text_.size();
  auto after =
      std::upper_bound(anchors_.begin(), anchors_.end(), offset,
                       [](std::size_t value, const Anchor& a) { return value < a.subject; });
  const Anchor& anchor = *(after - 1);
  return anchor.verbatim ? anchor.source + (offset - anchor.subject) : anchor.source;
}

}  // namespace zav
