// Random payloads for the differential tests, the same for a given seed.
#pragma once

#include <cstdint>
#include <random>

#include "cipher/types.h"

namespace cipher {

inline ByteBuffer RandomBytes(std::mt19937& random, std::size_t length) {
  ByteBuffer bytes(length);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

}  // namespace cipher
