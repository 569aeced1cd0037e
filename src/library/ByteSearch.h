#pragma once

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace library {

// The first place `needle` occurs in `haystack`, or nullptr. Sixteen positions are tested
// at once on the needle's first and last byte before the rest is compared, which scans a
// library of paths several times faster than a byte-by-byte search.
inline const char* findBytes(const char* haystack, std::size_t length, const char* needle,
                             std::size_t n) {
  if (n == 0) return haystack;
  if (length < n) return nullptr;
  if (n == 1) return static_cast<const char*>(std::memchr(haystack, needle[0], length));
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(needle[0]);
  const __m128i last = _mm_set1_epi8(needle[n - 1]);
  for (; i + n - 1 + 16 <= length; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(haystack + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(haystack + i + n - 1));
    unsigned mask = unsigned(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    while (mask) {
      const unsigned bit = unsigned(__builtin_ctz(mask));
      if (std::memcmp(haystack + i + bit + 1, needle + 1, n - 2) == 0) return haystack + i + bit;
      mask &= mask - 1;
    }
  }
#endif
  for (; i + n <= length; ++i)
    if (haystack[i] == needle[0] && std::memcmp(haystack + i, needle, n) == 0) return haystack + i;
  return nullptr;
}

}  // namespace library
