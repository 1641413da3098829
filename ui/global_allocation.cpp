// The program's allocation functions. Every request for storage comes
// through here, ours, Qt's and the C library's alike: a request that cannot
// be served ends in the fatal error box with its byte count before any
// caller sees null. Most of Qt's code does not check what malloc gives (it
// writes through null) or turns null into an exception that Qt's GUI code
// cannot unwind, so the failure is reported where it happens.
//
// The C functions are defined in the executable, so the dynamic linker binds
// every shared library to them (the C library and ld.so included). They
// forward to glibc's own allocator under its exported __libc_* names, so
// every block is still one of glibc's: free, malloc_usable_size, malloc_trim
// and the rest work on it, whoever calls them, and the set that glibc wants
// replaced together (malloc, free, calloc, realloc) stays consistent.
//
// Sanitizers that bring their own allocator (ASan) must keep malloc; there
// only operator new reports, and C functions answer null as usual.
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>

#include "ui/fatal_error.h"
#include "ui/huge_pages.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TEXTCRYPT_OWNS_C_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define TEXTCRYPT_OWNS_C_ALLOCATOR 0
#endif
#endif
#ifndef TEXTCRYPT_OWNS_C_ALLOCATOR
#define TEXTCRYPT_OWNS_C_ALLOCATOR 1
#endif

namespace {

// Mapped and touched at start-up, unmapped when a report begins: the address
// space and the pages come back for the box, even under a hard limit.
std::atomic<void*> reserve{nullptr};
constexpr std::size_t kReserveBytes = 4u << 20;

bool OnMainThread() {
  return gettid() == getpid();
}

// One line, built on the stack: there may be no memory left at all.
void WriteFailureLine(std::size_t count, std::size_t each) {
  char digits[ui::kByteCountDigits];
  const std::size_t length = ui::FormatByteCount(count, each, digits);
  static constexpr char kBefore[] = "textcrypt: 分配 ";
  static constexpr char kAfter[] = " 字节内存失败!\n";
  ssize_t ignored = write(STDERR_FILENO, kBefore, sizeof kBefore - 1);
  ignored = write(STDERR_FILENO, digits, length);
  ignored = write(STDERR_FILENO, kAfter, sizeof kAfter - 1);
  (void)ignored;
}

[[noreturn]] void AllocationFailed(std::size_t count, std::size_t each);

// Only the main thread can show the box. A failing request on another thread
// is never answered: the thread asks the main thread to report it and waits
// for the box to end the process. If the box does not come (the main thread
// may be waiting for this very thread), the line on stderr has to do.
[[noreturn]] void HandOverToMainThread(std::size_t count, std::size_t each) {
  static std::atomic<bool> handedOver{false};
  QCoreApplication* application = QCoreApplication::instance();
  if (application != nullptr && !handedOver.exchange(true)) {
    QMetaObject::invokeMethod(
        application, [count, each] { AllocationFailed(count, each); }, Qt::QueuedConnection);
  }
  using namespace std::chrono_literals;
  for (auto waited = 0ms; waited < 10s && !ui::FatalErrorBeingReported(); waited += 50ms) {
    std::this_thread::sleep_for(50ms);
  }
  while (ui::FatalErrorBeingReported()) std::this_thread::sleep_for(1h);
  WriteFailureLine(count, each);
  std::_Exit(-1);
}

// The request for count × each bytes failed (each is 1 but for calloc and
// the like, whose product may not even fit in a size_t).
[[noreturn]] void AllocationFailed(std::size_t count, std::size_t each) {
  ui::ReleaseFatalErrorReserve();
  if (!OnMainThread()) HandOverToMainThread(count, each);
  // A request that fails while the first failure, or any fatal error, is
  // being reported cannot be shown in a box of its own.
  static bool failing = false;
  if (failing || ui::FatalErrorBeingReported()) {
    WriteFailureLine(count, each);
    std::_Exit(-1);
  }
  failing = true;
  ui::ReportFatalError(ui::AllocationFailureMessage(count, each));
}

void* AllocateOrReport(std::size_t bytes) {
  void* p = std::malloc(bytes == 0 ? 1 : bytes);
  if (p == nullptr) AllocationFailed(bytes, 1);
  return p;
}

void* AllocateAlignedOrReport(std::size_t bytes, std::align_val_t alignment) {
  // memalign takes any size; aligned_alloc would want a multiple of the
  // alignment and so report a rounded count.
  void* p = memalign(static_cast<std::size_t>(alignment), bytes == 0 ? 1 : bytes);
  if (p == nullptr) AllocationFailed(bytes, 1);
  return p;
}

}  // namespace

namespace ui {

std::size_t FormatByteCount(std::size_t count, std::size_t each, char (&digits)[kByteCountDigits]) {
  __extension__ using Wide = unsigned __int128;
  Wide value = static_cast<Wide>(count) * each;
  char reversed[kByteCountDigits];
  std::size_t length = 0;
  do {
    reversed[length++] = static_cast<char>('0' + static_cast<int>(value % 10));
    value /= 10;
  } while (value != 0);
  for (std::size_t i = 0; i < length; ++i) digits[i] = reversed[length - 1 - i];
  return length;
}

void ReserveMemoryForFatalError() {
  if (reserve.load() != nullptr) return;
  void* block = mmap(nullptr, kReserveBytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (block != MAP_FAILED) reserve.store(block);
}

void ReleaseFatalErrorReserve() {
  if (void* block = reserve.exchange(nullptr)) munmap(block, kReserveBytes);
}

}  // namespace ui

#if TEXTCRYPT_OWNS_C_ALLOCATOR

extern "C" {

void* __libc_malloc(std::size_t bytes) noexcept;
void* __libc_calloc(std::size_t count, std::size_t each) noexcept;
void* __libc_realloc(void* p, std::size_t bytes) noexcept;
void* __libc_memalign(std::size_t alignment, std::size_t bytes) noexcept;
void* __libc_valloc(std::size_t bytes) noexcept;
void* __libc_pvalloc(std::size_t bytes) noexcept;
void __libc_free(void* p) noexcept;

void* malloc(std::size_t bytes) noexcept {
  void* p = __libc_malloc(bytes);
  if (p == nullptr) AllocationFailed(bytes, 1);
  ui::PreferHugePages(p, bytes);
  return p;
}

void free(void* p) noexcept {
  __libc_free(p);
}

// An overflowing count × each is a request like any other, and reported
// with the whole product.
void* calloc(std::size_t count, std::size_t each) noexcept {
  void* p = __libc_calloc(count, each);
  if (p == nullptr) AllocationFailed(count, each);
  ui::PreferHugePages(p, count * each);
  return p;
}

void* realloc(void* p, std::size_t bytes) noexcept {
  void* moved = __libc_realloc(p, bytes);
  // realloc(p, 0) frees p and answers null: that is no failure. The block
  // given in stays valid after a failure, but nobody is told of one.
  if (moved == nullptr && (bytes != 0 || p == nullptr)) AllocationFailed(bytes, 1);
  ui::PreferHugePages(moved, bytes);
  return moved;
}

void* reallocarray(void* p, std::size_t count, std::size_t each) noexcept {
  std::size_t bytes = 0;
  if (__builtin_mul_overflow(count, each, &bytes)) AllocationFailed(count, each);
  return realloc(p, bytes);
}

// glibc answers EINVAL for an alignment it cannot give; that is the
// caller's mistake, not a shortage, and left to the caller as glibc leaves it.
void* memalign(std::size_t alignment, std::size_t bytes) noexcept {
  void* p = __libc_memalign(alignment, bytes);
  if (p == nullptr && errno != EINVAL) AllocationFailed(bytes, 1);
  return p;
}

// In this glibc, aligned_alloc is memalign under another name.
void* aligned_alloc(std::size_t alignment, std::size_t bytes) noexcept {
  return memalign(alignment, bytes);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t bytes) noexcept {
  const bool powerOfTwo = alignment != 0 && (alignment & (alignment - 1)) == 0;
  if (!powerOfTwo || alignment % sizeof(void*) != 0) return EINVAL;
  void* p = __libc_memalign(alignment, bytes);
  if (p == nullptr) AllocationFailed(bytes, 1);
  *result = p;
  return 0;
}

void* valloc(std::size_t bytes) noexcept {
  void* p = __libc_valloc(bytes);
  if (p == nullptr) AllocationFailed(bytes, 1);
  return p;
}

void* pvalloc(std::size_t bytes) noexcept {
  void* p = __libc_pvalloc(bytes);
  if (p == nullptr) AllocationFailed(bytes, 1);
  return p;
}

}  // extern "C"

#endif  // TEXTCRYPT_OWNS_C_ALLOCATOR

// The nothrow forms report too: a failed request is fatal wherever it comes
// from, and answering null would only move the failure to the next request,
// which Qt's code would not check.
void* operator new(std::size_t bytes) {
  return AllocateOrReport(bytes);
}
void* operator new[](std::size_t bytes) {
  return AllocateOrReport(bytes);
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return AllocateOrReport(bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return AllocateOrReport(bytes);
}
void* operator new(std::size_t bytes, std::align_val_t alignment) {
  return AllocateAlignedOrReport(bytes, alignment);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment) {
  return AllocateAlignedOrReport(bytes, alignment);
}
void* operator new(std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAlignedOrReport(bytes, alignment);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment,
                     const std::nothrow_t&) noexcept {
  return AllocateAlignedOrReport(bytes, alignment);
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
