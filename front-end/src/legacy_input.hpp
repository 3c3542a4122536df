// The facts input: {"documents": [text, ...]} or [[text, ...]], read by a
// strict JSON reader whose messages carry " at line L column C".
#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace zav {

struct Legacy {
  std::vector<std::string> documents;
};

// `input` is the whole of standard input, already checked to be UTF-8.
std::expected<Legacy, std::string> parse_legacy(std::string_view input);

}  // namespace zav
