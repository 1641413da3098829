// The program's own global allocation functions: a failed request anywhere,
// Qt's included, ends in the fatal error box with the byte count instead of
// an exception that nothing in an event-driven program could handle. The
// nothrow forms keep their promise and return null: their callers handle it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ui/fatal_error.h"

namespace {

void* reserve = nullptr;
constexpr std::size_t kReserveBytes = 4u << 20;

bool allocationFailed = false;

[[noreturn]] void AllocationFailed(std::size_t bytes) {
  // Building the message needs memory too; the reserve is given back first,
  // and a failure while reporting a failure stops without a box.
  ui::ReleaseFatalErrorReserve();
  if (allocationFailed) {
    std::fprintf(stderr, "textcrypt: 分配 %zu 字节内存失败!\n", bytes);
    std::_Exit(-1);
  }
  allocationFailed = true;
  ui::ReportFatalError(ui::AllocationFailureMessage(bytes));
}

void* AllocateOrReport(std::size_t bytes) {
  void* p = std::malloc(bytes == 0 ? 1 : bytes);
  if (p == nullptr) AllocationFailed(bytes);
  return p;
}

void* AllocateAlignedOrNull(std::size_t bytes, std::align_val_t alignment) {
  const auto align = static_cast<std::size_t>(alignment);
  std::size_t size = bytes == 0 ? align : bytes;
  size = (size + align - 1) / align * align;  // aligned_alloc wants a multiple
  if (size < bytes) return nullptr;           // the rounding overflowed
  return std::aligned_alloc(align, size);
}

void* AllocateAlignedOrReport(std::size_t bytes, std::align_val_t alignment) {
  void* p = AllocateAlignedOrNull(bytes, alignment);
  if (p == nullptr) AllocationFailed(bytes);
  return p;
}

}  // namespace

namespace ui {

void ReserveMemoryForFatalError() {
  if (reserve != nullptr) return;
  reserve = std::malloc(kReserveBytes);
  // Touched, so the pages are really ours when they are needed.
  if (reserve != nullptr) std::memset(reserve, 0, kReserveBytes);
}

void ReleaseFatalErrorReserve() {
  std::free(reserve);
  reserve = nullptr;
}

}  // namespace ui

void* operator new(std::size_t bytes) {
  return AllocateOrReport(bytes);
}
void* operator new[](std::size_t bytes) {
  return AllocateOrReport(bytes);
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return std::malloc(bytes == 0 ? 1 : bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return std::malloc(bytes == 0 ? 1 : bytes);
}
void* operator new(std::size_t bytes, std::align_val_t alignment) {
  return AllocateAlignedOrReport(bytes, alignment);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment) {
  return AllocateAlignedOrReport(bytes, alignment);
}
void* operator new(std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAlignedOrNull(bytes, alignment);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment,
                     const std::nothrow_t&) noexcept {
  return AllocateAlignedOrNull(bytes, alignment);
}

void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(p);
}
