// A text made of one piece repeated, for long and hostile inputs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zav::test {

inline std::string repeat(std::string_view piece, std::size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) text.append(piece);
  return text;
}

}  // namespace zav::test
