// Picks the kernels once, from what the CPU reports, and lets tests switch.
#include "cipher/base64_kernels.h"

namespace cipher::base64_detail {
namespace {

KernelSet BestSet() {
  return CpuRuns(KernelSet::kAvx2) ? KernelSet::kAvx2 : KernelSet::kPlain;
}

const Kernels& KernelsOf(KernelSet set) {
#if defined(__x86_64__) || defined(__i386__)
  if (set == KernelSet::kAvx2) return kAvx2Kernels;
#endif
  (void)set;
  return kPlainKernels;
}

struct Active {
  KernelSet set;
  const Kernels* kernels;
};

Active& CurrentActive() {
  static Active active{BestSet(), &KernelsOf(BestSet())};
  return active;
}

}  // namespace

bool CpuRuns(KernelSet set) {
  switch (set) {
    case KernelSet::kPlain:
      return true;
    case KernelSet::kAvx2:
#if defined(__x86_64__) || defined(__i386__)
      __builtin_cpu_init();  // harmless when done; needed if we run before it
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
  }
  return false;
}

KernelSet ActiveKernelSet() {
  return CurrentActive().set;
}
const Kernels& ActiveKernels() {
  return *CurrentActive().kernels;
}

ScopedKernels::ScopedKernels(KernelSet set) : previous_(ActiveKernelSet()), runs_(CpuRuns(set)) {
  if (runs_) CurrentActive() = {set, &KernelsOf(set)};
}

ScopedKernels::~ScopedKernels() {
  CurrentActive() = {previous_, &KernelsOf(previous_)};
}

}  // namespace cipher::base64_detail
