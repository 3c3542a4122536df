// Finding the next of a few bytes in a text, sixteen bytes at a step.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <string_view>

namespace zav::markdown {

// The position of the first byte at or after `pos` that is one of `Bytes`, or the text's size.
template <char... Bytes>
std::size_t find_first_of_bytes(std::string_view s, std::size_t pos) {
  const char* data = s.data();
  std::size_t i = pos;
  for (; s.size() - i >= 16; i += 16) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    __m128i hit = _mm_setzero_si128();
    ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(chunk, _mm_set1_epi8(Bytes)))), ...);
    int mask = _mm_movemask_epi8(hit);
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
  for (; i < s.size(); ++i) {
    if (((data[i] == Bytes) || ...)) return i;
  }
  return s.size();
}

}  // namespace zav::markdown
