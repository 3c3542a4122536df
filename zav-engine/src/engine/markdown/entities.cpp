// TEMPORARY STUB
#include "engine/markdown/entities.hpp"
namespace zav::markdown {
std::optional<std::string_view> named_character_reference(std::string_view name) {
  if (name == "amp") return "&";
  if (name == "lt") return "<";
  if (name == "gt") return ">";
  if (name == "quot") return "\"";
  if (name == "auml") return "\xC3\xA4";
  if (name == "ouml") return "\xC3\xB6";
  if (name == "nbsp") return "\xC2\xA0";
  if (name == "copy") return "\xC2\xA9";
  return std::nullopt;
}
}
