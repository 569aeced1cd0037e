#pragma once

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace library {

inline char lowerAscii(char c) {
  return char(c + ((c >= 'A' && c <= 'Z') ? ('a' - 'A') : 0));
}

// The first place `needle` (ASCII letters already in lower case) occurs in `haystack`,
// ignoring the case of ASCII letters, or nullptr. Sixteen positions are tested at once on the
// needle's first and last byte before the rest is compared, so a million paths are searched
// in place, without a lower-cased copy of them.
inline const char* findCaseless(const char* haystack, std::size_t length, const char* needle,
                                std::size_t n) {
  if (n == 0) return haystack;
  if (length < n) return nullptr;
  auto matchesAt = [&](std::size_t at) {
    for (std::size_t k = 0; k < n; ++k)
      if (lowerAscii(haystack[at + k]) != needle[k]) return false;
    return true;
  };
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(needle[0]);
  const __m128i last = _mm_set1_epi8(needle[n - 1]);
  const __m128i belowA = _mm_set1_epi8('A' - 1), aboveZ = _mm_set1_epi8('Z' + 1);
  const __m128i caseBit = _mm_set1_epi8(0x20);
  // Upper-case ASCII letters gain the case bit; every other byte (bytes of UTF-8 sequences
  // count as negative here) stays as it is.
  auto lower16 = [&](const char* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(v, belowA), _mm_cmplt_epi8(v, aboveZ));
    return _mm_or_si128(v, _mm_and_si128(upper, caseBit));
  };
  for (; i + n - 1 + 16 <= length; i += 16) {
    const __m128i a = _mm_cmpeq_epi8(lower16(haystack + i), first);
    const __m128i b = _mm_cmpeq_epi8(lower16(haystack + i + n - 1), last);
    unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(a, b)));
    while (mask) {
      const std::size_t at = i + std::size_t(__builtin_ctz(mask));
      if (matchesAt(at)) return haystack + at;
      mask &= mask - 1;
    }
  }
#endif
  for (; i + n <= length; ++i)
    if (matchesAt(i)) return haystack + i;
  return nullptr;
}

}  // namespace library
