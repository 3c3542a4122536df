// The YAML parser's events, as the frontmatter receiver consumes them: text
// order, anchors numbered from 1 across the stream, aliases resolved to the
// number they name, tags with their handle resolved through the directives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

namespace zav {

enum class YamlEventType {
  StreamStart,
  StreamEnd,
  DocumentStart,
  DocumentEnd,
  Scalar,
  SequenceStart,
  SequenceEnd,
  MappingStart,
  MappingEnd,
  Alias,
};

enum class ScalarStyle { Plain, SingleQuoted, DoubleQuoted, Literal, Folded };

// `handle` is the resolved prefix ("tag:yaml.org,2002:" for "!!"), or empty
// for a verbatim tag, whose whole text is then the suffix.
struct YamlTag {
  std::string handle;
  std::string suffix;
};

struct YamlEvent {
  YamlEventType type = YamlEventType::StreamStart;
  std::string_view text;  // a scalar's decoded text; valid during the call only
  ScalarStyle style = ScalarStyle::Plain;
  // A node's anchor number (0 for none); for an alias, the number it names.
  std::uint64_t anchor_id = 0;
  std::optional<YamlTag> tag;
};

class YamlEventReceiver {
 public:
  // Returns false to end the parse at once; the rest of the text is not read.
  virtual bool on_event(const YamlEvent& event) = 0;
  // Forgets every event so far: the stream is read again from its start.
  virtual void restart() = 0;

 protected:
  ~YamlEventReceiver() = default;
};

// Reads `text` as one YAML stream, every document, and hands each event to
// `receiver`. A syntax error ends the parse; its message is the description
// followed by " at byte <characters before it> line <from 1> column <from 1>".
std::expected<void, std::string> read_yaml_events(std::string_view text,
                                                  YamlEventReceiver& receiver);

}  // namespace zav
