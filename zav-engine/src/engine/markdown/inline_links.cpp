#include "engine/markdown/inline_links.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "engine/markdown/byte_scan.hpp"
#include "engine/markdown/characters.hpp"
#include "engine/markdown/link_syntax.hpp"
#include "engine/markdown/raw_html.hpp"

namespace zav::markdown {
namespace {

constexpr std::string_view REPLACEMENT_CHARACTER = "\xEF\xBF\xBD";

// The next character that can begin something that decides a link: an escape, a code span, a
// bracket, an image's "!" and an autolink or HTML tag.
std::size_t next_special(std::string_view s, std::size_t pos) {
  return find_first_of_bytes<'\\', '`', '[', ']', '!', '<'>(s, pos);
}

std::size_t run_end(std::string_view s, std::size_t pos, char c) {
  while (pos < s.size() && s[pos] == c) ++pos;
  return pos;
}

// The backtick strings of the content, found once, sorted by length and then by position, so
// that the string that closes a code span is found by a binary search.
template <typename Offset>
class BacktickStrings {
 public:
  // The end of the first backtick string of `length` characters that starts at or after `from`.
  std::optional<std::size_t> closing(std::string_view s, std::size_t from, std::size_t length) {
    if (!found_) find_all(s);
    auto it = std::lower_bound(strings_.begin(), strings_.end(),
                               std::pair{static_cast<Offset>(length), static_cast<Offset>(from)});
    if (it == strings_.end() || it->first != length) return std::nullopt;
    return std::size_t{it->second} + length;
  }

 private:
  void find_all(std::string_view s) {
    found_ = true;
    for (std::size_t i = s.find('`'); i != std::string_view::npos; i = s.find('`', i)) {
      std::size_t end = run_end(s, i, '`');
      strings_.emplace_back(static_cast<Offset>(end - i), static_cast<Offset>(i));
      i = end;
    }
    std::sort(strings_.begin(), strings_.end());
  }

  bool found_ = false;
  std::vector<std::pair<Offset, Offset>> strings_;  // (length, start)
};

bool is_scheme_character(char c) {
  return is_ascii_alphanumeric(c) || c == '+' || c == '.' || c == '-';
}

bool is_email_local_character(char c) {
  return is_ascii_alphanumeric(c) ||
         std::string_view(".!#$%&'*+/=?^_`{|}~-").find(c) != std::string_view::npos;
}

// The end of the URI autolink that starts with "<" at `pos`.
std::optional<std::size_t> uri_autolink_end(std::string_view s, std::size_t pos) {
  std::size_t i = pos + 1;
  if (i >= s.size() || !is_ascii_letter(s[i])) return std::nullopt;
  std::size_t scheme_end = i + 1;
  while (scheme_end < s.size() && scheme_end - i < 33 && is_scheme_character(s[scheme_end])) {
    ++scheme_end;
  }
  std::size_t scheme_length = scheme_end - i;
  if (scheme_length < 2 || scheme_length > 32 || scheme_end >= s.size() || s[scheme_end] != ':') {
    return std::nullopt;
  }
  for (i = scheme_end + 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '>') return i + 1;
    if (c == '<' || c == ' ' || is_ascii_control(c)) return std::nullopt;
  }
  return std::nullopt;
}

// The end of the e-mail autolink that starts with "<" at `pos`.
std::optional<std::size_t> email_autolink_end(std::string_view s, std::size_t pos) {
  std::size_t i = pos + 1;
  std::size_t local_start = i;
  while (i < s.size() && is_email_local_character(s[i])) ++i;
  if (i == local_start || i >= s.size() || s[i] != '@') return std::nullopt;
  ++i;
  while (true) {  // one domain label a round: [A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?
    std::size_t label_start = i;
    while (i < s.size() && (is_ascii_alphanumeric(s[i]) || s[i] == '-')) ++i;
    std::size_t length = i - label_start;
    if (length == 0 || length > 63 || s[label_start] == '-' || s[i - 1] == '-') {
      return std::nullopt;
    }
    if (i < s.size() && s[i] == '.') {
      ++i;
      continue;
    }
    if (i < s.size() && s[i] == '>') return i + 1;
    return std::nullopt;
  }
}

// Positions within the content are kept as `Offset`, 32 bits wide for all but huge contents,
// since a run of brackets or backticks may put one on a stack for each character.
template <typename Offset>
class LinkFinder {
 public:
  LinkFinder(std::string_view content, const ReferenceMap& references,
             std::vector<std::string>& links)
      : s_(content),
        references_(references),
        links_(links),
        first_link_(links.size()),
        html_(content) {}

  void run() {
    std::size_t pos = 0;
    while ((pos = next_special(s_, pos)) < s_.size()) {
      switch (s_[pos]) {
        case '\\':
          pos += pos + 1 < s_.size() && is_ascii_punctuation(s_[pos + 1]) ? 2 : 1;
          break;
        case '`':
          pos = after_backticks(pos);
          break;
        case '!':
          if (pos + 1 < s_.size() && s_[pos + 1] == '[') {
            push_opener(pos + 1, true);
            pos += 2;
          } else {
            ++pos;
          }
          break;
        case '[':
          push_opener(pos, false);
          ++pos;
          break;
        case ']':
          pos = close_bracket(pos);
          break;
        default:  // '<'
          pos = after_angle_bracket(pos);
          break;
      }
    }
  }

 private:
  struct Opener {
    std::size_t bracket;
    bool image;
  };

  std::size_t after_backticks(std::size_t pos) {
    std::size_t end = run_end(s_, pos, '`');
    std::optional<std::size_t> closing = backticks_.closing(s_, end, end - pos);
    return closing ? *closing : end;
  }

  std::size_t after_angle_bracket(std::size_t pos) {
    std::optional<std::size_t> end = uri_autolink_end(s_, pos);
    if (!end) end = email_autolink_end(s_, pos);
    if (end) {
      std::string destination;
      for (char c : s_.substr(pos + 1, *end - pos - 2)) {
        if (c == '\0') {
          destination.append(REPLACEMENT_CHARACTER);
        } else {
          destination.push_back(c);
        }
      }
      add_link(pos, std::move(destination));
      return *end;
    }
    if (std::optional<std::size_t> tag_end = html_.tag_end(pos)) return *tag_end;
    return pos + 1;
  }

  // Links are found where they end, so a link whose text holds an autolink is put before it.
  void add_link(std::size_t start, std::string destination) {
    auto later = std::lower_bound(link_starts_.begin(), link_starts_.end(), start);
    std::size_t index = static_cast<std::size_t>(later - link_starts_.begin());
    link_starts_.insert(later, static_cast<Offset>(start));
    links_.insert(links_.begin() + static_cast<std::ptrdiff_t>(first_link_ + index),
                  std::move(destination));
  }

  void push_opener(std::size_t bracket, bool image) {
    openers_.push_back(static_cast<Offset>(bracket * 2 + (image ? 1 : 0)));
    last_opener_followed_ = false;
  }

  Opener pop_opener() {
    std::size_t value = openers_.back();
    openers_.pop_back();
    last_opener_followed_ = true;
    return Opener{value / 2, value % 2 == 1};
  }

  // A "]" at `pos`: closes the last opener as a link or image if one follows; returns where
  // reading goes on.
  std::size_t close_bracket(std::size_t pos) {
    if (openers_.empty()) return pos + 1;
    bool followed = last_opener_followed_;
    Opener opener = pop_opener();
    if (!opener.image && opener.bracket < first_active_link_) return pos + 1;
    std::size_t after = pos + 1;
    std::optional<std::size_t> end = inline_link(after);
    if (!end) end = reference_link(opener, followed, pos);
    if (!end) return after;
    if (!opener.image) {
      add_link(opener.bracket, std::move(destination_));
      first_active_link_ = opener.bracket;  // no link inside a link
    }
    return *end;
  }

  // "(destination title)" at `pos`: its end, with the destination in `destination_`.
  std::optional<std::size_t> inline_link(std::size_t pos) {
    if (pos >= s_.size() || s_[pos] != '(') return std::nullopt;
    std::optional<Destination> destination =
        scan_link_destination(s_, skip_spaces_and_line_end(s_, pos + 1));
    if (!destination) return std::nullopt;
    std::size_t i = skip_spaces_and_line_end(s_, destination->end);
    if (i > destination->end) {
      if (std::optional<std::size_t> title_end = scan_link_title(s_, i, titles_)) {
        i = skip_spaces_and_line_end(s_, *title_end);
      }
    }
    if (i >= s_.size() || s_[i] != ')') return std::nullopt;
    destination_.clear();
    append_destination(destination_, destination->raw);
    return i + 1;
  }

  // A full, collapsed or shortcut reference closing at the "]" at `close`: its end, with the
  // destination in `destination_`. `followed`: another opener came after this one, so its text
  // holds a bracket and is no label.
  std::optional<std::size_t> reference_link(const Opener& opener, bool followed,
                                            std::size_t close) {
    if (references_.empty()) return std::nullopt;
    std::size_t after = close + 1;
    std::optional<std::size_t> label_end = scan_link_label(s_, after);
    if (label_end && *label_end - after > 2) {
      normalize_label(s_.substr(after + 1, *label_end - after - 2), normalized_);
      if (!normalized_.empty()) return lookup(*label_end);  // a full reference
      label_end.reset();  // white space alone is no label: "[a][ ]" is a shortcut
    }
    // A collapsed or shortcut reference: the link text is the label.
    std::string_view label = s_.substr(opener.bracket + 1, close - opener.bracket - 1);
    if (followed || !within_label_length(label)) return std::nullopt;
    normalize_label(label, normalized_);
    return lookup(label_end ? *label_end : after);  // past the "[]" of a collapsed one
  }

  // The reference that `normalized_` names, ending at `end`.
  std::optional<std::size_t> lookup(std::size_t end) {
    const std::string* destination = references_.find(normalized_);
    if (destination == nullptr) return std::nullopt;
    destination_ = *destination;
    return end;
  }

  static bool within_label_length(std::string_view label) {
    if (label.size() <= MAX_LABEL_CHARACTERS) return true;
    if (label.size() > 4 * MAX_LABEL_CHARACTERS) return false;
    std::size_t characters = 0;
    for (char c : label) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return characters <= MAX_LABEL_CHARACTERS;
  }

  std::string_view s_;
  const ReferenceMap& references_;
  std::vector<std::string>& links_;
  std::size_t first_link_;           // the first of `links_` found in this content
  std::vector<Offset> link_starts_;  // where each of them starts
  InlineHtmlScanner html_;
  BacktickStrings<Offset> backticks_;
  TitleScanMemo titles_;
  std::vector<Offset> openers_;        // the position of each "[" times two, plus one for "!["
  bool last_opener_followed_ = false;  // another opener came after the last one
  std::size_t first_active_link_ = 0;  // link openers before this position are inactive
  std::string destination_;
  std::string normalized_;
};

}  // namespace

void find_links(std::string_view content, const ReferenceMap& references,
                std::vector<std::string>& links) {
  if (content.size() < (std::size_t{1} << 30)) {
    LinkFinder<std::uint32_t>(content, references, links).run();
  } else {
    LinkFinder<std::uint64_t>(content, references, links).run();
  }
}

}  // namespace zav::markdown
