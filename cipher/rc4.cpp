#include "cipher/rc4.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "cipher/rc4_keystream.h"
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

using Generator = Rc4Keystream::State;

// XORs n input bytes with the next n keystream bytes. The state lives in
// locals for the whole run so that it stays in registers.
void XorKeystream(Generator& g, const std::uint8_t* src, std::uint8_t* dst, std::size_t n) {
  State& s = g.s;
  unsigned i = g.i, j = g.j, si = g.si;
  // S[i + 1] is loaded before this step's swap is stored, so the next step
  // never waits on the store; the swap can only have changed it when j was
  // i + 1, and then it now holds this step's S[i].
  const auto next = [&]() -> std::uint64_t {
    j = (j + si) & 255u;
    const unsigned sj = s[j];
    const unsigned nextI = (i + 1) & 255u;
    const unsigned nextSi = s[nextI];
    s[j] = static_cast<std::uint8_t>(si);
    s[i] = static_cast<std::uint8_t>(sj);
    const std::uint64_t keystream = s[(si + sj) & 255u];
    si = nextI == j ? si : nextSi;
    i = nextI;
    return keystream;
  };
  std::size_t p = 0;
  for (; p + 8 <= n; p += 8) {
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
  for (; p < n; ++p) dst[p] = static_cast<std::uint8_t>(src[p] ^ next());
  g.i = i;
  g.j = j;
  g.si = si;
}

// Output grows in steps that stay in the first-level cache, so zeroing a
// step and then overwriting it costs next to nothing.
constexpr std::size_t kStepBytes = 16 * 1024;

template <class Buffer>
void Rc4IntoBuffer(const std::uint8_t* input, std::size_t size, std::string_view key, Buffer& out) {
  out.clear();
  if (size == 0) return;
  out.reserve(size);

  Generator g{ScheduleKey(key)};
  g.si = g.s[1];
  for (std::size_t done = 0; done < size;) {
    const std::size_t step = std::min(kStepBytes, size - done);
    out.resize(done + step);
    XorKeystream(g, input + done, reinterpret_cast<std::uint8_t*>(out.data()) + done, step);
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

Rc4Keystream::Rc4Keystream(std::string_view key) : state_{ScheduleKey(key)} {
  state_.si = state_.s[1];
}

void Rc4Keystream::Apply(std::uint8_t* bytes, std::size_t size) {
  XorKeystream(state_, bytes, bytes, size);
}

ByteBuffer Rc4Transform(const ByteBuffer& input, const Text& key) {
  ByteBuffer output;
  rc4_detail::Rc4Into(input.data(), input.size(), key, output);
  return output;
}

}  // namespace cipher
