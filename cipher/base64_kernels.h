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

// Position of the first byte that NeedsCleaning (base64_rules.h), or size
// if there is none.
using ScanKernel = std::size_t (*)(const char* in, std::size_t size);

struct Kernels {
  EncodeKernel encode;
  DecodeKernel decode;
  ScanKernel scan;
};

enum class KernelSet { kPlain, kAvx2 };
inline constexpr KernelSet kEveryKernelSet[] = {KernelSet::kPlain, KernelSet::kAvx2};

// Whether this CPU (and this build) can run a set.
bool CpuRuns(KernelSet set);
// The set in use; the best the CPU runs unless a ScopedKernels chose another.
KernelSet ActiveKernelSet();
const Kernels& ActiveKernels();

// Switches every call to `set` while it lives, then back to the set in use
// before: tests, benchmarks and the fuzzer force each set in turn this way.
// A set the CPU cannot run is not switched to, and Runs() says so.
class ScopedKernels {
 public:
  explicit ScopedKernels(KernelSet set);
  ~ScopedKernels();
  ScopedKernels(const ScopedKernels&) = delete;
  ScopedKernels& operator=(const ScopedKernels&) = delete;

  bool Runs() const { return runs_; }

 private:
  KernelSet previous_;
  bool runs_;
};

// The sets themselves, for the dispatcher.
extern const Kernels kPlainKernels;
#if defined(__x86_64__) || defined(__i386__)
extern const Kernels kAvx2Kernels;
#endif

}  // namespace cipher::base64_detail
