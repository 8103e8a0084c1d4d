// Whole frames, file images and history steps are blocks of tens of megabytes, and touching one
// page of 4 KB at a time costs the system a fault each: on a 4096 x 4096 frame more time went
// to those faults than to the painting. Large blocks are offered 2 MB pages instead (where the
// system gives them on request); everything else is the C library's allocation unchanged.
//
// Replacing the global allocation functions is a program-wide choice, so only the programs link
// this (not the libraries), and not the sanitizer builds, whose own allocator must see every
// block.
#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
// Below two large pages a block seldom holds a whole aligned one.
constexpr std::size_t kLargeBlock = 2 * kLargePage;

// Only the large pages wholly inside a block are asked for: the block keeps the C library's
// placement. (Aligning every large block to a large page made the rows of two planes read side
// by side fall into the same cache sets, and a flood fill ran at a third of its speed.)
void OfferLargePages(void* block, std::size_t size) {
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t begin = (start + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t end = (start + size) & ~(kLargePage - 1);
  // Advice only: where the system says no, the block simply keeps small pages.
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
  // Made present in one call: a large block is nearly always written whole at once, and the
  // small pages at its edges would otherwise cost a trap each.
  const std::uintptr_t first = start & ~std::uintptr_t{4095};
  ::madvise(reinterpret_cast<void*>(first), start + size - first, MADV_POPULATE_WRITE);
#endif
}

// Large blocks go back to the system when freed. Left to itself, the C library raises the size
// it does that from once the first large block is freed, and later blocks of a frame's size are
// then kept in its heaps (a worker thread's heap too) after they are freed: the process stays
// as large as its largest moment, a whole frame more after an undo.
// Setting that size fixes the heaps' trimming as well: it stays where the C library would have
// moved it, so that smaller blocks, freed and taken again, keep their pages.
[[maybe_unused]] const bool kLargeBlocksReturned =
    ::mallopt(M_MMAP_THRESHOLD, kLargeBlock) == 1 && ::mallopt(M_TRIM_THRESHOLD, 2 * kLargeBlock) == 1;

void* Allocate(std::size_t size) {
  for (;;) {
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
      if (size >= kLargeBlock) OfferLargePages(block, size);
      return block;
    }
    std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

void* AllocateOrNull(std::size_t size) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
