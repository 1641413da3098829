// AVX2 kernels, 32 characters at a time; only called where the CPU has AVX2.
// The decoder finds the first group holding a byte outside the alphabet
// from the vector's own check; the last few groups of a run are read with a
// masked load, so nothing past the run is touched.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <algorithm>

#include "cipher/base64_kernels.h"

namespace cipher::base64_detail {
namespace {

#define TEXTCRYPT_AVX2 __attribute__((target("avx2")))

// Turns the 3-byte groups in each 32-bit lane (bytes b, a, c, b) into four
// 6-bit values, one per byte.
TEXTCRYPT_AVX2 __m256i SplitIntoSixBits(__m256i lanes) {
  const __m256i first = _mm256_mulhi_epu16(_mm256_and_si256(lanes, _mm256_set1_epi32(0x0FC0FC00)),
                                           _mm256_set1_epi32(0x04000040));
  const __m256i second = _mm256_mullo_epi16(_mm256_and_si256(lanes, _mm256_set1_epi32(0x003F03F0)),
                                            _mm256_set1_epi32(0x01000010));
  return _mm256_or_si256(first, second);
}

// 6-bit values to alphabet characters: each range of the alphabet is a run
// of consecutive bytes, so one offset per range does it.
TEXTCRYPT_AVX2 __m256i ValuesToCharacters(__m256i values) {
  const __m256i offsets =
      _mm256_setr_epi8(65, 71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 0, 0, 65, 71, -4,
                       -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 0, 0);
  // 0..25 -> 0, 26..51 -> 1, 52..61 -> 2..11, 62 -> 12, 63 -> 13.
  __m256i range = _mm256_subs_epu8(values, _mm256_set1_epi8(51));
  range = _mm256_sub_epi8(range, _mm256_cmpgt_epi8(values, _mm256_set1_epi8(25)));
  return _mm256_add_epi8(values, _mm256_shuffle_epi8(offsets, range));
}

TEXTCRYPT_AVX2 void EncodeAvx2(const std::uint8_t* in, std::size_t groups, char* out) {
  const __m256i spread = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10,  //
                                          1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
  std::size_t g = 0;
  // Each step reads 28 bytes for the 24 it encodes, so it stops 10 groups short.
  for (; groups - g >= 10; g += 8) {
    const std::uint8_t* at = in + g * 3;
    const __m256i bytes = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 12)), 1);
    const __m256i values = SplitIntoSixBits(_mm256_shuffle_epi8(bytes, spread));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + g * 4), ValuesToCharacters(values));
  }
  kPlainKernels.encode(in + g * 3, groups - g, out + g * 4);
}

// Decodes eight groups of characters; returns how many of them lead up to
// the first group holding a byte outside the alphabet (8 when none does).
// All 32 output bytes are written either way, 24 of them meaningful.
TEXTCRYPT_AVX2 unsigned DecodeEightGroups(__m256i chars, std::uint8_t* out) {
  // A byte is in the alphabet when its low-nibble class and high-nibble
  // class share no bit; the high nibble (and "/") also picks the offset
  // from character to value.
  const __m256i lowClass =
      _mm256_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B,
                       0x1B, 0x1B, 0x1A, 0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                       0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
  const __m256i highClass =
      _mm256_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10,
                       0x10, 0x10, 0x10, 0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10,
                       0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
  const __m256i offsets =
      _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 19, 4, -65,
                       -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i nibbleMask = _mm256_set1_epi8(0x2F);  // bit 5 is ignored by the shuffles
  // Packing: four 6-bit values per lane into 24 bits, then the 24 bytes together.
  const __m256i pairWeights = _mm256_set1_epi32(0x01400140);
  const __m256i quadWeights = _mm256_set1_epi32(0x00011000);
  const __m256i gather =
      _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1,  //
                       2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
  const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);

  const __m256i high = _mm256_and_si256(_mm256_srli_epi32(chars, 4), nibbleMask);
  const __m256i low = _mm256_and_si256(chars, nibbleMask);
  const __m256i outside =
      _mm256_and_si256(_mm256_shuffle_epi8(lowClass, low), _mm256_shuffle_epi8(highClass, high));
  const __m256i offset = _mm256_shuffle_epi8(
      offsets, _mm256_add_epi8(_mm256_cmpeq_epi8(chars, _mm256_set1_epi8('/')), high));
  const __m256i values = _mm256_add_epi8(chars, offset);
  const __m256i packed = _mm256_madd_epi16(_mm256_maddubs_epi16(values, pairWeights), quadWeights);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                      _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(packed, gather), join));

  if (_mm256_testz_si256(outside, outside)) return 8;
  const auto inside = static_cast<unsigned>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(outside, _mm256_setzero_si256())));
  return static_cast<unsigned>(__builtin_ctz(~inside)) / 4;
}

TEXTCRYPT_AVX2 std::size_t DecodeAvx2(const char* in, std::size_t groups, std::uint8_t* out) {
  std::size_t g = 0;
  for (; groups - g >= 8; g += 8) {
    const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + g * 4));
    const unsigned decoded = DecodeEightGroups(chars, out + g * 3);
    if (decoded < 8) return g + decoded;
  }
  if (g == groups) return g;
  // The last few groups: one 32-bit lane per group, lanes past the end read
  // as zero bytes without touching memory there.
  const auto left = static_cast<int>(groups - g);
  const __m256i lanes =
      _mm256_cmpgt_epi32(_mm256_set1_epi32(left), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256i chars = _mm256_maskload_epi32(reinterpret_cast<const int*>(in + g * 4), lanes);
  const unsigned decoded = DecodeEightGroups(chars, out + g * 3);
  return g + std::min<std::size_t>(decoded, groups - g);
}

TEXTCRYPT_AVX2 std::size_t ScanAvx2(const char* in, std::size_t size) {
  const __m256i space = _mm256_set1_epi8(' ');
  const __m256i cr = _mm256_set1_epi8('\r');
  std::size_t i = 0;
  for (; size - i >= 32; i += 32) {
    const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    const __m256i hits =
        _mm256_or_si256(_mm256_cmpeq_epi8(chars, space), _mm256_cmpeq_epi8(chars, cr));
    // The sign bit of each byte is set exactly for bytes of 0x80 or more.
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(hits, chars)));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
  return i + kPlainKernels.scan(in + i, size - i);
}

#undef TEXTCRYPT_AVX2

}  // namespace

const Kernels kAvx2Kernels = {EncodeAvx2, DecodeAvx2, ScanAvx2};

}  // namespace cipher::base64_detail

#endif
