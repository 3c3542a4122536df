// TEMPORARY STUB
#include "engine/markdown/case_fold.hpp"
#include "zav/text.hpp"
namespace zav::markdown {
void append_case_folded(std::string& out, char32_t c) {
  if (c == 0x1E9E || c == 0xDF) { out += "ss"; return; }
  if (c >= 0x391 && c <= 0x3A9) c += 0x20;
  if (c >= 0x410 && c <= 0x42F) c += 0x20;
  append_utf8(out, c);
}
}
