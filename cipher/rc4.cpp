#include "cipher/rc4.h"

#include <array>
#include <numeric>
#include <utility>

namespace cipher {

ByteBuffer Rc4Transform(const ByteBuffer& input, const Text& key) {
  if (input.empty()) return {};

  std::array<std::uint8_t, 256> s;
  std::iota(s.begin(), s.end(), std::uint8_t{0});
  if (!key.empty()) {
    std::uint8_t j = 0;
    for (std::size_t i = 0; i < 256; ++i) {
      j = static_cast<std::uint8_t>(j + s[i] + static_cast<std::uint8_t>(key[i % key.size()]));
      std::swap(s[i], s[j]);
    }
  }

  ByteBuffer output(input.size());
  std::uint8_t i = 0;
  std::uint8_t j = 0;
  for (std::size_t p = 0; p < input.size(); ++p) {
    i = static_cast<std::uint8_t>(i + 1);
    j = static_cast<std::uint8_t>(j + s[i]);
    std::swap(s[i], s[j]);
    output[p] = input[p] ^ s[static_cast<std::uint8_t>(s[i] + s[j])];
  }
  return output;
}

}  // namespace cipher
