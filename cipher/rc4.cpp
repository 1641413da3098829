#include "cipher/rc4.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "cipher/rc4_stream.h"

namespace cipher {
namespace {

using State = std::array<std::uint8_t, 256>;

// Where keystream byte b goes in a 64-bit word so that, stored in memory,
// it lines up with input byte b.
constexpr unsigned ByteShift(unsigned b) {
  return std::endian::native == std::endian::little ? 8 * b : 56 - 8 * b;
}

State ScheduleKey(std::string_view key) {
  State s;
  for (unsigned k = 0; k < 256; ++k) s[k] = static_cast<std::uint8_t>(k);
  if (key.empty()) return s;  // an empty key leaves the identity

  // K repeats the key; only its first 256 bytes can ever be reached.
  unsigned j = 0;
  std::size_t keyAt = 0;
  for (unsigned i = 0; i < 256; ++i) {
    const unsigned si = s[i];
    j = (j + si + static_cast<std::uint8_t>(key[keyAt])) & 255u;
    if (++keyAt == key.size()) keyAt = 0;
    s[i] = s[j];
    s[j] = static_cast<std::uint8_t>(si);
  }
  return s;
}

// Output grows in steps that stay in the first-level cache, so zeroing a
// step and then overwriting it costs next to nothing.
constexpr std::size_t kStepBytes = 16 * 1024;

template <class Buffer>
void Rc4IntoBuffer(const std::uint8_t* input, std::size_t size, std::string_view key, Buffer& out) {
  out.clear();
  if (size == 0) return;
  out.reserve(size);

  State s = ScheduleKey(key);
  unsigned i = 0;
  // j is kept unreduced: only its low 8 bits are ever used, and skipping the
  // mask keeps the one serial dependency of the cipher down to an addition.
  unsigned j = 0;
  const auto next = [&]() -> std::uint64_t {
    i = (i + 1) & 255u;
    const unsigned si = s[i];
    j += si;
    const unsigned sj = s[j & 255u];
    s[i] = static_cast<std::uint8_t>(sj);
    s[j & 255u] = static_cast<std::uint8_t>(si);
    return s[(si + sj) & 255u];
  };

  for (std::size_t done = 0; done < size;) {
    const std::size_t step = std::min(kStepBytes, size - done);
    out.resize(done + step);
    auto* dst = reinterpret_cast<std::uint8_t*>(out.data()) + done;
    const std::uint8_t* src = input + done;
    std::size_t p = 0;
    for (; p + 8 <= step; p += 8) {
      // Eight keystream bytes in memory order, then one wide XOR.
      std::uint64_t keystream = next() << ByteShift(0);
      keystream |= next() << ByteShift(1);
      keystream |= next() << ByteShift(2);
      keystream |= next() << ByteShift(3);
      keystream |= next() << ByteShift(4);
      keystream |= next() << ByteShift(5);
      keystream |= next() << ByteShift(6);
      keystream |= next() << ByteShift(7);
      std::uint64_t word;
      std::memcpy(&word, src + p, 8);
      word ^= keystream;
      std::memcpy(dst + p, &word, 8);
    }
    for (; p < step; ++p) dst[p] = static_cast<std::uint8_t>(src[p] ^ next());
    done += step;
  }
}

}  // namespace

namespace rc4_detail {

void Rc4Into(const std::uint8_t* input, std::size_t size, std::string_view key, ByteBuffer& out) {
  Rc4IntoBuffer(input, size, key, out);
}

void Rc4Into(const std::uint8_t* input, std::size_t size, std::string_view key, Text& out) {
  Rc4IntoBuffer(input, size, key, out);
}

}  // namespace rc4_detail

ByteBuffer Rc4Transform(const ByteBuffer& input, const Text& key) {
  ByteBuffer output;
  rc4_detail::Rc4Into(input.data(), input.size(), key, output);
  return output;
}

}  // namespace cipher
