#include "ui/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace ui {
namespace {

constexpr std::uintptr_t kHugePage = 2u << 20;
constexpr std::size_t kSmallestBlock = 4 * kHugePage;

}  // namespace

void PreferHugePages(void* block, std::size_t bytes) noexcept {
  if (block == nullptr || bytes < kSmallestBlock) return;
  // Only whole huge pages inside the block; the edges keep small pages.
  const auto begin = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
  if (last > first) {
    // Advice only: a kernel without huge pages says no, and nothing changes.
    (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
}

}  // namespace ui
