// One RC4 keystream used a piece at a time, for callers that see their bytes
// in pieces: the pieces, XORed in turn, give what Rc4Transform gives for the
// bytes all at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cipher {

class Rc4Keystream {
 public:
  // Only the first 256 key bytes matter; an empty key leaves the identity.
  explicit Rc4Keystream(std::string_view key);

  // XORs the next `size` keystream bytes into `bytes`, in place.
  void Apply(std::uint8_t* bytes, std::size_t size);

  // The generator's state between pieces: S, i, j, and S[i] loaded ahead.
  struct State {
    std::array<std::uint8_t, 256> s;
    unsigned i = 1;
    unsigned j = 0;
    unsigned si = 0;
  };

 private:
  State state_;
};

}  // namespace cipher
