// Bulk Base64 kernels behind the encoder and the lenient decoder, in a plain
// version and in vector versions picked at run time by what the CPU offers.
// Every version gives the same bytes; the plain one is the reference.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cipher::base64_detail {

// Encodes `groups` whole groups of 3 bytes into 4 characters each; reads
// exactly groups * 3 bytes and writes exactly groups * 4 characters.
using EncodeKernel = void (*)(const std::uint8_t* in, std::size_t groups, char* out);

// Decodes up to `groups` whole groups of 4 alphabet characters into 3 bytes
// each and returns how many it decoded: it stops before the first group that
// holds any byte outside the alphabet (the zero byte included), which the
// exact group rule then takes. Reads groups * 4 bytes at most; may write up
// to kDecodeOverrun bytes past the end of the groups it decoded.
using DecodeKernel = std::size_t (*)(const char* in, std::size_t groups, std::uint8_t* out);
inline constexpr std::size_t kDecodeOverrun = 32;

// Position of the first space, CR or byte of 0x80 or more, or size if none:
// a text without them is already clean for the decoder.
using ScanKernel = std::size_t (*)(const char* in, std::size_t size);

struct Kernels {
  EncodeKernel encode;
  DecodeKernel decode;
  ScanKernel scan;
};

enum class KernelSet { kPlain, kAvx2 };

// Whether this CPU (and this build) can run a set.
bool CpuRuns(KernelSet set);
// The set in use; the best the CPU runs unless UseKernels chose another.
KernelSet ActiveKernelSet();
const Kernels& ActiveKernels();
// Switches every later call to `set` (tests force each set in turn); a set
// the CPU cannot run is refused and false returned.
bool UseKernels(KernelSet set);

// The sets themselves, for the dispatcher.
extern const Kernels kPlainKernels;
#if defined(__x86_64__) || defined(__i386__)
extern const Kernels kAvx2Kernels;
#endif

}  // namespace cipher::base64_detail
