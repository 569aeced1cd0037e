#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

namespace library {

// Memory for large arrays in whole huge pages where the system offers them, smaller ones
// from malloc: fresh memory costs a page fault per page, and a search that matches a million
// paths would otherwise pay a thousand of them for its hits, every time it runs.
template <class T>
struct HugePageAllocator {
  using value_type = T;
  static constexpr std::size_t kHugePage = std::size_t(2) << 20;

  HugePageAllocator() = default;
  template <class U>
  HugePageAllocator(const HugePageAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    std::size_t bytes = n * sizeof(T);
    void* p = nullptr;
    if (bytes >= kHugePage) {
      bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
      if (posix_memalign(&p, kHugePage, bytes) != 0) p = nullptr;
#ifdef MADV_HUGEPAGE
      if (p) madvise(p, bytes, MADV_HUGEPAGE);
#endif
    } else {
      p = std::malloc(bytes ? bytes : 1);
    }
    if (!p) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) noexcept {
    std::free(p);
  }

  template <class U>
  bool operator==(const HugePageAllocator<U>&) const noexcept {
    return true;
  }
};

// The indexes of the library entries a search found, in library order.
using Hits = std::vector<std::uint32_t, HugePageAllocator<std::uint32_t>>;

}  // namespace library
