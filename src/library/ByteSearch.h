#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define TV_WIDE_SEARCH 1
#endif

namespace library {

inline char lowerAscii(char c) {
  return char(c + ((c >= 'A' && c <= 'Z') ? ('a' - 'A') : 0));
}

// A needle (ASCII letters already in lower case) prepared for searching many paths,
// ignoring the case of ASCII letters. Sixteen positions are tested at once on two of the
// needle's bytes before the rest is compared: the two that are rarest in paths, so that a
// needle such as "artist 4999/" is not compared in full wherever "artist " stands.
class CaselessNeedle {
 public:
  CaselessNeedle(const char* needle, std::size_t n) : m_needle(needle), m_n(n) {
    if (n == 0) return;
    std::size_t a = n - 1;
    for (std::size_t k = n - 1; k-- > 0;)
      if (commonness(needle[k]) < commonness(needle[a])) a = k;
    // The second one differs from the first where the needle allows.
    std::size_t b = a == 0 ? n - 1 : 0;
    auto rarer = [&](std::size_t k, std::size_t than) {
      const bool kSame = needle[k] == needle[a], thanSame = needle[than] == needle[a];
      if (kSame != thanSame) return thanSame;
      return commonness(needle[k]) < commonness(needle[than]);
    };
    for (std::size_t k = 0; k < n; ++k)
      if (k != a && rarer(k, b)) b = k;
    m_at1 = a;
    m_at2 = n > 1 ? b : a;
  }
  std::size_t size() const { return m_n; }

  // The first place the needle occurs in `haystack`, or nullptr.
  const char* find(const char* haystack, std::size_t length) const {
    if (m_n == 0) return haystack;
    if (length < m_n) return nullptr;
    std::size_t i = 0;
#ifdef TV_WIDE_SEARCH
    if (wide()) {
      const char* found = nullptr;
      i = findWide(haystack, length, found);
      if (found) return found;
    }
#endif
#if defined(__SSE2__)
    // A lower-case letter matches its byte with the case bit added; nothing else folds
    // (bytes above ASCII have the high bit, which no letter has).
    const __m128i want1 = _mm_set1_epi8(m_needle[m_at1]),
                  fold1 = _mm_set1_epi8(fold(m_needle[m_at1]));
    const __m128i want2 = _mm_set1_epi8(m_needle[m_at2]),
                  fold2 = _mm_set1_epi8(fold(m_needle[m_at2]));
    auto load = [](const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    for (; i + m_n - 1 + 16 <= length; i += 16) {
      const __m128i a = _mm_cmpeq_epi8(_mm_or_si128(load(haystack + i + m_at1), fold1), want1);
      const __m128i b = _mm_cmpeq_epi8(_mm_or_si128(load(haystack + i + m_at2), fold2), want2);
      unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(a, b)));
      while (mask) {
        const std::size_t at = i + std::size_t(__builtin_ctz(mask));
        if (matchesAt(haystack + at)) return haystack + at;
        mask &= mask - 1;
      }
    }
#endif
    for (; i + m_n <= length; ++i)
      if (matchesAt(haystack + i)) return haystack + i;
    return nullptr;
  }

 private:
  static char fold(char c) {
    return char(c >= 'a' && c <= 'z' ? 0x20 : 0);
  }
#ifdef TV_WIDE_SEARCH
  // Where the processor has AVX2, 32 positions at a time.
  static bool wide() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
  }
  // The 32-at-a-time part of find(): sets `found` on a match; else returns where the rest
  // of the search goes on.
  __attribute__((target("avx2"))) std::size_t findWide(const char* haystack, std::size_t length,
                                                       const char*& found) const {
    const __m256i want1 = _mm256_set1_epi8(m_needle[m_at1]);
    const __m256i fold1 = _mm256_set1_epi8(fold(m_needle[m_at1]));
    const __m256i want2 = _mm256_set1_epi8(m_needle[m_at2]);
    const __m256i fold2 = _mm256_set1_epi8(fold(m_needle[m_at2]));
    std::size_t i = 0;
    for (; i + m_n - 1 + 32 <= length; i += 32) {
      const __m256i a = _mm256_cmpeq_epi8(
          _mm256_or_si256(
              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(haystack + i + m_at1)), fold1),
          want1);
      const __m256i b = _mm256_cmpeq_epi8(
          _mm256_or_si256(
              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(haystack + i + m_at2)), fold2),
          want2);
      unsigned mask = unsigned(_mm256_movemask_epi8(_mm256_and_si256(a, b)));
      while (mask) {
        const std::size_t at = i + std::size_t(__builtin_ctz(mask));
        if (matchesAt(haystack + at)) {
          found = haystack + at;
          return at;
        }
        mask &= mask - 1;
      }
    }
    return i;
  }
#endif
  bool matchesAt(const char* p) const {
    for (std::size_t k = 0; k < m_n; ++k)
      if (lowerAscii(p[k]) != m_needle[k]) return false;
    return true;
  }
  // How often a byte turns up in paths, roughly: separators, blanks and the common letters
  // most, then the other letters, the dot and the digits, then everything else.
  static int commonness(char c) {
    static constexpr char kByFrequency[] = "/ eaorisntlumc.hdkpgbyf-_vw0123456789zjxq";
    for (int k = 0; kByFrequency[k]; ++k)
      if (kByFrequency[k] == c) return 64 - k;
    return 0;
  }

  const char* m_needle;
  std::size_t m_n;
  std::size_t m_at1 = 0, m_at2 = 0;
};

// The first place `needle` (ASCII letters already in lower case) occurs in `haystack`,
// ignoring the case of ASCII letters, or nullptr.
inline const char* findCaseless(const char* haystack, std::size_t length, const char* needle,
                                std::size_t n) {
  return CaselessNeedle(needle, n).find(haystack, length);
}

}  // namespace library
