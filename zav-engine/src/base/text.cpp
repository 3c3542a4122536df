#include "base/text.hpp"

#include <emmintrin.h>

namespace zav {
namespace {

// Length of the longest prefix of `bytes` at `pos` that can start a
// well-formed UTF-8 sequence, and whether the whole sequence is complete.
struct SequenceScan {
  std::size_t length;  // bytes that belong to the sequence (or its maximal invalid prefix)
  bool valid;
};

SequenceScan scan_sequence(const unsigned char* p, std::size_t remaining) {
  unsigned char lead = p[0];
  if (lead < 0x80) return {1, true};
  std::size_t need = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
  } else if (lead == 0xE0) {
    need = 2, low = 0xA0;
  } else if ((lead >= 0xE1 && lead <= 0xEC) || lead == 0xEE || lead == 0xEF) {
    need = 2;
  } else if (lead == 0xED) {
    need = 2, high = 0x9F;
  } else if (lead == 0xF0) {
    need = 3, low = 0x90;
  } else if (lead >= 0xF1 && lead <= 0xF3) {
    need = 3;
  } else if (lead == 0xF4) {
    need = 3, high = 0x8F;
  } else {
    return {1, false};
  }
  std::size_t i = 1;
  for (; i <= need; ++i) {
    if (i >= remaining) return {i, false};
    unsigned char c = p[i];
    unsigned char lo = i == 1 ? low : 0x80;
    unsigned char hi = i == 1 ? high : 0xBF;
    if (c < lo || c > hi) return {i, false};
  }
  return {i, true};
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size(), i = 0;
  while (i < n) {
    // Fast path: sixteen ASCII bytes at a time.
    if (n - i >= 16) {
      __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      if (_mm_movemask_epi8(chunk) == 0) {
        i += 16;
        continue;
      }
    }
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    SequenceScan s = scan_sequence(p + i, n - i);
    if (!s.valid) return false;
    i += s.length;
  }
  return true;
}

std::string utf8_lossy(std::string_view bytes) {
  if (is_valid_utf8(bytes)) return std::string(bytes);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::string out;
  out.reserve(bytes.size() + 8);
  std::size_t i = 0, n = bytes.size();
  while (i < n) {
    SequenceScan s = scan_sequence(p + i, n - i);
    if (s.valid) {
      out.append(bytes.data() + i, s.length);
    } else {
      out.append("\xEF\xBF\xBD");
    }
    i += s.length;
  }
  return out;
}

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

char32_t decode_utf8(std::string_view text, std::size_t pos, std::size_t& length) {
  auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[pos + k]); };
  unsigned char lead = b(0);
  if (lead < 0x80) {
    length = 1;
    return lead;
  }
  if (lead < 0xE0) {
    length = 2;
    return (char32_t(lead & 0x1F) << 6) | (b(1) & 0x3F);
  }
  if (lead < 0xF0) {
    length = 3;
    return (char32_t(lead & 0x0F) << 12) | (char32_t(b(1) & 0x3F) << 6) | (b(2) & 0x3F);
  }
  length = 4;
  return (char32_t(lead & 0x07) << 18) | (char32_t(b(1) & 0x3F) << 12) |
         (char32_t(b(2) & 0x3F) << 6) | (b(3) & 0x3F);
}

int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view trim_white_space_start(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t length = 0;
    if (!is_white_space(decode_utf8(text, pos, length))) break;
    pos += length;
  }
  return text.substr(pos);
}

std::string_view trim_white_space_end(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0) {
    std::size_t start = end - 1;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    std::size_t length = 0;
    if (!is_white_space(decode_utf8(text, start, length))) break;
    end = start;
  }
  return text.substr(0, end);
}

std::string_view trim_white_space(std::string_view text) {
  return trim_white_space_end(trim_white_space_start(text));
}

}  // namespace zav
