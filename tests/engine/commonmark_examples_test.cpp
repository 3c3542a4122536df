// The examples of CommonMark 0.31.2 through markdown_facts. Each example pairs a Markdown text
// with the HTML that CommonMark renders for it; the links and heading levels that the facts of
// the Markdown must hold are read from that HTML:
// - every <a> start tag that a link of the Markdown produced gives its href, HTML-unescaped;
//   a tag written word for word in the Markdown is raw HTML, not a link;
// - an e-mail autolink renders as <a href="mailto:ADDRESS">ADDRESS</a> while the facts hold
//   the address alone;
// - hrefs are percent-encoded by the renderer, so both sides are percent-decoded before they
//   are compared;
// - every <h1> to <h6> start tag gives a heading level, in order, raw HTML left out as above.
// Where the HTML cannot tell (a link inside an image description is flattened into the alt
// text), CORRECTIONS gives the links by hand. The examples file is fetched by the build
// (tests/CMakeLists.txt) and its path comes in ZAV_COMMONMARK_EXAMPLES.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <expected>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text.hpp"
#include "engine/markdown/entities.hpp"
#include "zav/engine.hpp"

namespace zav {
namespace {

constexpr int EXAMPLE_COUNT = 652;
constexpr std::string_view EXAMPLE_START = "```````````````````````````````` example";
constexpr std::string_view EXAMPLE_END = "````````````````````````````````";
constexpr std::string_view END_OF_EXAMPLES = "<!-- END TESTS -->";
constexpr std::string_view TAB_STAND_IN = "\u2192";  // how the examples show a tab

struct Example {
  int number = 0;
  std::string markdown;
  std::string html;
};

struct Facts {
  std::vector<std::string> links;  // percent-decoded
  std::vector<int> levels;

  bool operator==(const Facts&) const = default;
};

// Links that the HTML of an example cannot show, by example number. Each row replaces the links
// read from the HTML.
struct Correction {
  int example;
  std::vector<std::string> links;
  std::string_view reason;
};

const std::vector<Correction> CORRECTIONS = {
    {520,
     {"uri1"},
     "in ![[[foo](uri1)](uri2)](uri3) the image description holds the link [foo](uri1) (and "
     "so [..](uri2) is none); the alt text flattens it"},
    {575,
     {"/url"},
     "in ![foo [bar](/url)](/url2) the image description holds the link [bar](/url); the alt "
     "text flattens it"},
};

std::expected<std::string, std::string> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::unexpected("cannot open " + path);
  std::ostringstream contents;
  contents << in.rdbuf();
  if (!contents) return std::unexpected("cannot read " + path);
  return contents.str();
}

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  std::size_t pos = 0;
  for (std::size_t found; (found = text.find(from, pos)) != std::string_view::npos;) {
    out.append(text.substr(pos, found - pos)).append(to);
    pos = found + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

// The examples in file order, numbered from 1: after line ends are made LF and the text from
// the END TESTS line on is dropped, each example is the lines between an EXAMPLE_START line
// and a "." line (the Markdown) and from there to an EXAMPLE_END line (the HTML).
std::vector<Example> extract_examples(std::string_view file) {
  std::string text = replace_all(replace_all(file, "\r\n", "\n"), "\r", "\n");
  std::vector<Example> examples;
  enum class State { outside, markdown, html } state = State::outside;
  Example current;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    std::string_view line = std::string_view(text).substr(pos, end - pos);
    std::size_t next = end == std::string::npos ? text.size() : end + 1;
    bool complete = end != std::string::npos;
    if (line.starts_with(END_OF_EXAMPLES)) break;
    if (state == State::outside && line == EXAMPLE_START && complete) {
      current = Example{};
      state = State::markdown;
    } else if (state == State::markdown && line == "." && complete) {
      state = State::html;
    } else if (state == State::html && line == EXAMPLE_END) {
      current.number = static_cast<int>(examples.size()) + 1;
      current.markdown = replace_all(current.markdown, TAB_STAND_IN, "\t");
      current.html = replace_all(current.html, TAB_STAND_IN, "\t");
      examples.push_back(std::move(current));
      state = State::outside;
    } else if (state != State::outside) {
      (state == State::markdown ? current.markdown : current.html).append(text, pos, next - pos);
    }
    pos = next;
  }
  return examples;
}

std::string percent_decoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex_digit_value(text[i + 1]) >= 0 &&
        hex_digit_value(text[i + 2]) >= 0) {
      out.push_back(
          static_cast<char>(hex_digit_value(text[i + 1]) * 16 + hex_digit_value(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

bool is_ascii_alnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// HTML text with its character references decoded; an "&" that starts none stays.
std::string html_unescaped(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t semicolon = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
    if (semicolon == std::string_view::npos) {
      out.push_back(text[i++]);
      continue;
    }
    std::string_view body = text.substr(i + 1, semicolon - i - 1);
    std::optional<char32_t> number;
    if (body.size() >= 2 && body[0] == '#') {
      bool hex = body[1] == 'x' || body[1] == 'X';
      std::string_view digits = body.substr(hex ? 2 : 1);
      if (!digits.empty() && digits.size() <= 7) {
        char32_t value = 0;
        bool valid = true;
        for (char d : digits) {
          int v = hex_digit_value(d);
          if (v < 0 || (!hex && v > 9)) valid = false;
          value = value * (hex ? 16 : 10) + static_cast<char32_t>(std::max(v, 0));
        }
        if (valid) number = value;
      }
    }
    if (number) {
      bool scalar = *number != 0 && *number <= 0x10FFFF && (*number < 0xD800 || *number > 0xDFFF);
      append_utf8(out, scalar ? *number : 0xFFFD);
    } else if (std::ranges::all_of(body, is_ascii_alnum) &&
               markdown::named_character_reference(body)) {
      out.append(*markdown::named_character_reference(body));
    } else {
      out.push_back(text[i++]);
      continue;
    }
    i = semicolon + 1;
  }
  return out;
}

struct Tag {
  std::string_view text;  // the whole tag, "<" to ">"
  std::string name;       // lower case
  bool closing = false;
};

// The start or end tag at `pos` (which holds "<"), or nothing when none starts there.
std::optional<Tag> tag_at(std::string_view html, std::size_t pos) {
  std::size_t i = pos + 1;
  Tag tag;
  if (i < html.size() && html[i] == '/') {
    tag.closing = true;
    ++i;
  }
  std::size_t name_start = i;
  while (i < html.size() && (is_ascii_alnum(html[i]) || (i > name_start && html[i] == '-'))) {
    tag.name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(html[i]))));
    ++i;
  }
  if (tag.name.empty() || !std::isalpha(static_cast<unsigned char>(tag.name[0]))) {
    return std::nullopt;
  }
  char quote = 0;
  for (; i < html.size(); ++i) {
    if (quote != 0) {
      if (html[i] == quote) quote = 0;
    } else if (html[i] == '"' || html[i] == '\'') {
      quote = html[i];
    } else if (html[i] == '>') {
      tag.text = html.substr(pos, i + 1 - pos);
      return tag;
    }
  }
  return std::nullopt;
}

std::optional<int> heading_level(std::string_view name) {
  if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') return name[1] - '0';
  return std::nullopt;
}

// The facts that the example's HTML shows, by the rules at the top of this file.
std::expected<Facts, std::string> facts_of_html(const Example& example) {
  std::string_view html = example.html;
  Facts facts;
  std::size_t pos = 0;
  while ((pos = html.find('<', pos)) != std::string_view::npos) {
    if (html.substr(pos).starts_with("<!--")) {
      std::size_t end = html.find("-->", pos + 4);
      pos = end == std::string_view::npos ? html.size() : end + 3;
      continue;
    }
    std::optional<Tag> tag = tag_at(html, pos);
    if (!tag) {
      ++pos;
      continue;
    }
    pos += tag->text.size();
    std::optional<int> level = heading_level(tag->name);
    if (tag->closing || (tag->name != "a" && !level)) continue;
    if (example.markdown.find(tag->text) != std::string::npos) continue;  // raw HTML
    if (level) {
      if (tag->text.size() != 4)
        return std::unexpected("unexpected heading tag " + std::string(tag->text));
      facts.levels.push_back(*level);
      continue;
    }
    constexpr std::string_view HREF = " href=\"";
    std::size_t href_start = tag->text.find(HREF);
    std::size_t href_end = href_start == std::string_view::npos
                               ? std::string_view::npos
                               : tag->text.find('"', href_start + HREF.size());
    if (href_end == std::string_view::npos) {
      return std::unexpected("a link without href: " + std::string(tag->text));
    }
    href_start += HREF.size();
    std::string href = html_unescaped(tag->text.substr(href_start, href_end - href_start));
    std::size_t content_end = html.find("</a>", pos);
    if (content_end == std::string_view::npos) {
      return std::unexpected("a link without </a>: " + std::string(tag->text));
    }
    std::string content = html_unescaped(html.substr(pos, content_end - pos));
    bool email_autolink = href == "mailto:" + content &&
                          example.markdown.find("<" + content + ">") != std::string::npos;
    facts.links.push_back(percent_decoded(email_autolink ? content : href));
  }
  return facts;
}

// The expected facts of every example, corrections applied, by example number.
std::expected<std::map<int, Facts>, std::string> expected_facts(
    const std::vector<Example>& examples) {
  std::map<int, Facts> expected;
  for (const Example& example : examples) {
    std::expected<Facts, std::string> facts = facts_of_html(example);
    if (!facts) {
      return std::unexpected("example " + std::to_string(example.number) + ": " + facts.error());
    }
    expected[example.number] = std::move(*facts);
  }
  for (const Correction& correction : CORRECTIONS) {
    auto found = expected.find(correction.example);
    if (found == expected.end()) {
      return std::unexpected("no example " + std::to_string(correction.example));
    }
    if (found->second.links == correction.links) {
      return std::unexpected("the correction of example " + std::to_string(correction.example) +
                             " changes nothing");
    }
    found->second.links = correction.links;
  }
  return expected;
}

Facts facts_of_markdown(std::string_view markdown) {
  MarkdownFacts facts = markdown_facts(markdown);
  Facts out;
  for (const std::string& link : facts.links) out.links.push_back(percent_decoded(link));
  for (const Heading& heading : facts.headings) out.levels.push_back(heading.level);
  return out;
}

// `text` in double quotes, with line ends, tabs, other control bytes, quotes and backslashes
// escaped; UTF-8 stays as it is.
std::string shown(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      static constexpr char HEX[] = "0123456789ABCDEF";
      out += "\\x";
      out += HEX[byte >> 4];
      out += HEX[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out + '"';
}

std::string describe(const Facts& facts) {
  std::string out = "links [";
  for (std::size_t i = 0; i < facts.links.size(); ++i) {
    out += (i == 0 ? "" : ", ") + shown(facts.links[i]);
  }
  out += "], heading levels [";
  for (std::size_t i = 0; i < facts.levels.size(); ++i) {
    out += (i == 0 ? "" : ", ") + std::to_string(facts.levels[i]);
  }
  return out + "]";
}

class CommonMarkExamples : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::expected<std::string, std::string> file = read_file(ZAV_COMMONMARK_EXAMPLES);
    if (!file) {
      load_error_ = file.error();
      return;
    }
    examples_ = extract_examples(*file);
  }

  void SetUp() override {
    ASSERT_EQ(load_error_, "") << "the build fetches this file with npm; is the fetch broken?";
    ASSERT_EQ(examples_.size(), static_cast<std::size_t>(EXAMPLE_COUNT))
        << "the examples of CommonMark 0.31.2 were not read from " << ZAV_COMMONMARK_EXAMPLES;
  }

  static inline std::string load_error_;
  static inline std::vector<Example> examples_;
};

// The rules read what the examples show: a few examples, read by hand.
TEST_F(CommonMarkExamples, ReadsExpectedFactsFromTheHtml) {
  std::expected<std::map<int, Facts>, std::string> expected = expected_facts(examples_);
  ASSERT_TRUE(expected.has_value()) << expected.error();
  struct Case {
    int example;
    Facts facts;
  };
  const Case cases[] = {
      {10, {{}, {1}}},                 // "#\tFoo"
      {62, {{}, {1, 2, 3, 4, 5, 6}}},  // ATX headings
      {80, {{}, {1, 2}}},              // setext headings
      {187, {{}, {}}},                 // a raw <a href="bar"> is no link
      {482, {{"/uri"}, {}}},           // inline link with a title
      {489, {{"/my uri"}, {}}},        // percent-decoded
      {503, {{"foo b\u00E4"}, {}}},    // entity and percent-encoding
      {520, {{"uri1"}, {}}},           // corrected
      {526, {{"https://example.com/?search=](uri)"}, {}}},
      {594, {{"http://foo.bar.baz"}, {}}},   // URI autolink
      {604, {{"foo@bar.example.com"}, {}}},  // e-mail autolink: the address alone
  };
  for (const Case& c : cases) {
    EXPECT_EQ(describe(expected->at(c.example)), describe(c.facts)) << "example " << c.example;
  }
  EXPECT_EQ(examples_[9].markdown, "#\tFoo\n");  // the tab is shown as an arrow in the file
  EXPECT_EQ(examples_[651].markdown, "Multiple     spaces\n");  // the last example
}

TEST_F(CommonMarkExamples, GiveTheLinksAndHeadingsTheHtmlShows) {
  std::expected<std::map<int, Facts>, std::string> expected = expected_facts(examples_);
  ASSERT_TRUE(expected.has_value()) << expected.error();
  for (const Example& example : examples_) {
    const Facts& wanted = expected->at(example.number);
    Facts actual = facts_of_markdown(example.markdown);
    if (actual == wanted) continue;
    ADD_FAILURE() << "example " << example.number << "\n  Markdown: " << shown(example.markdown)
                  << "\n  expected: " << describe(wanted) << "\n  actual:   " << describe(actual)
                  << "\n  (links percent-decoded)";
  }
}

}  // namespace
}  // namespace zav
