#include "engine/markdown/references.hpp"

#include <optional>

#include "engine/markdown/characters.hpp"
#include "engine/markdown/link_syntax.hpp"

namespace zav::markdown {
namespace {

class DefinitionReader {
 public:
  DefinitionReader(std::string_view content, ReferenceMap& references)
      : s_(content), references_(references) {}

  // The end of the definition at `start` (the start of a line or the end of the content), if
  // there is one; the definition is added.
  std::optional<std::size_t> read(std::size_t start) {
    std::size_t pos = start;
    std::optional<std::size_t> label_end = scan_link_label(s_, pos);
    if (!label_end || *label_end >= s_.size() || s_[*label_end] != ':') return std::nullopt;
    std::string_view label = s_.substr(pos + 1, *label_end - pos - 2);
    std::optional<Destination> destination =
        scan_link_destination(s_, skip_spaces_and_line_end(s_, *label_end + 1));
    if (!destination) return std::nullopt;
    std::size_t end = line_end_after(destination->end);
    std::size_t before_title = destination->end;
    std::size_t title_start = skip_spaces_and_line_end(s_, before_title);
    if (title_start > before_title) {
      if (std::optional<std::size_t> title_end = scan_link_title(s_, title_start, memo_)) {
        if (std::size_t after_title = line_end_after(*title_end); after_title != NONE) {
          end = after_title;
        }
      }
    }
    if (end == NONE) return std::nullopt;
    normalize_label(label, normalized_);
    if (normalized_.empty()) return std::nullopt;
    references_.add(normalized_, destination->raw);
    return end;
  }

 private:
  static constexpr std::size_t NONE = std::string_view::npos;

  // Past the spaces and tabs at `pos` and the line end after them, or NONE when something else
  // follows.
  std::size_t line_end_after(std::size_t pos) const {
    while (pos < s_.size() && is_space_or_tab(s_[pos])) ++pos;
    if (pos == s_.size()) return pos;
    return s_[pos] == '\n' ? pos + 1 : NONE;
  }

  std::string_view s_;
  ReferenceMap& references_;
  TitleScanMemo memo_;
  std::string normalized_;
};

}  // namespace

void ReferenceMap::add(const std::string& normalized_label, std::string_view raw_destination) {
  if (destinations_.contains(normalized_label)) return;
  std::string destination;
  append_destination(destination, raw_destination);
  destinations_.emplace(normalized_label, std::move(destination));
}

const std::string* ReferenceMap::find(std::string_view normalized_label) const {
  auto found = destinations_.find(normalized_label);
  return found == destinations_.end() ? nullptr : &found->second;
}

std::size_t read_definitions(std::string_view content, ReferenceMap& references) {
  DefinitionReader reader(content, references);
  std::size_t pos = 0;
  while (pos < content.size() && content[pos] == '[') {
    std::optional<std::size_t> end = reader.read(pos);
    if (!end) break;
    pos = *end;
  }
  return pos;
}

}  // namespace zav::markdown
