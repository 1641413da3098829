// Big blocks of memory backed by huge pages where the system allows it.
//
// A text of 16 MiB passes through several fresh full-size copies on its way
// from a box to the cipher and back, and the first touch of each 4 KiB page
// is a fault: under a hypervisor some 15 µs each, so that a 44 MB copy waits
// 0.17 s for its pages alone. With 2 MiB pages it is one fault in 512. The
// kernel is only asked (transparent huge pages in "madvise" mode follow the
// request, "always" needs none, "never" ignores it), and only for blocks
// big enough that rounding to whole huge pages costs nothing that counts.
#pragma once

#include <cstddef>

namespace ui {

void PreferHugePages(void* block, std::size_t bytes) noexcept;

}  // namespace ui
