// The encoder: whole groups through the fastest kernel, the last one padded.
#include <algorithm>
#include <cstdint>

#include "cipher/base64.h"
#include "cipher/base64_kernels.h"

namespace cipher {
namespace {

// Encoded text grows in steps that stay in the first-level cache, so zeroing
// a step before the kernel overwrites it costs next to nothing.
constexpr std::size_t kGroupsPerStep = 2048;

}  // namespace

Text Base64Encode(const ByteBuffer& bytes) {
  Text out;
  if (bytes.empty()) return out;
  const std::size_t groups = (bytes.size() + 2) / 3;
  out.reserve(groups * 4);

  const base64_detail::EncodeKernel encode = base64_detail::ActiveKernels().encode;
  const std::size_t wholeGroups = bytes.size() / 3;
  for (std::size_t done = 0; done < wholeGroups;) {
    const std::size_t step = std::min(kGroupsPerStep, wholeGroups - done);
    out.resize((done + step) * 4);
    encode(bytes.data() + done * 3, step, out.data() + done * 4);
    done += step;
  }

  // The last group is cut short: the missing bytes read as zero, and the
  // characters that stand for them only become "=".
  const std::size_t remainder = bytes.size() % 3;
  if (remainder > 0) {
    std::uint8_t last[3] = {};
    for (std::size_t k = 0; k < remainder; ++k) last[k] = bytes[wholeGroups * 3 + k];
    char chars[4];
    base64_detail::kPlainKernels.encode(last, 1, chars);
    chars[3] = '=';
    if (remainder == 1) chars[2] = '=';
    out.append(chars, 4);
  }
  return out;
}

}  // namespace cipher
