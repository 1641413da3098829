// The cipher's rules written out plainly, for clarity and not for speed:
// the yardstick the fast code is held to by the differential tests and the
// fuzzer. Nothing here shares code with cipher/ beyond the types.
#pragma once

#include <algorithm>
#include <string_view>
#include <utility>

#include "cipher/types.h"

namespace cipher::plain {

inline constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

inline bool Lead(unsigned char c) {
  return c >= 0x80;
}

inline Text PlainRemoveSpaces(std::string_view t) {
  Text out;
  std::size_t i = 0;
  while (i < t.size()) {
    const auto c = static_cast<unsigned char>(t[i]);
    if (!Lead(c)) {
      if (c != 0x20) out.push_back(t[i]);
      i += 1;
    } else if (i + 1 == t.size()) {
      break;
    } else {
      if (!(c == 0xA1 && static_cast<unsigned char>(t[i + 1]) == 0xA1)) out.append(t.substr(i, 2));
      i += 2;
    }
  }
  return out;
}

inline Text PlainRemoveCrLf(std::string_view t) {
  Text out;
  std::size_t i = 0;
  while (i < t.size()) {
    if (i + 1 < t.size() && t[i] == '\r' && t[i + 1] == '\n') {
      i += 2;
      continue;
    }
    const std::size_t unit = Lead(static_cast<unsigned char>(t[i])) && i + 1 < t.size() ? 2 : 1;
    out.append(t.substr(i, unit));
    i += unit;
  }
  return out;
}

struct PlainDecoded {
  ByteBuffer bytes;
  std::size_t pumps = 0;
};

inline PlainDecoded PlainDecode(const Text& text) {
  const Text c = PlainRemoveCrLf(PlainRemoveSpaces(text));
  const std::size_t groups = (c.size() + 3) / 4;
  unsigned s[5] = {0, 0, 0, 0, 0};  // s[1] to s[4]
  int k = 0;
  PlainDecoded r;
  for (std::size_t g = 1; g <= groups; ++g) {
    for (k = 1; k <= 4; ++k) {
      const std::size_t position = 4 * (g - 1) + static_cast<std::size_t>(k);  // from 1
      const unsigned byte = position <= c.size() ? static_cast<unsigned char>(c[position - 1]) : 0;
      s[k] = byte;
      if (byte == 0) continue;
      const std::size_t found = kAlphabet.find(static_cast<char>(byte));
      if (found == std::string_view::npos) break;
      s[k] = static_cast<unsigned>(found);
    }
    r.bytes.push_back(static_cast<std::uint8_t>((s[1] * 4 | s[2] / 16) % 256));
    r.bytes.push_back(static_cast<std::uint8_t>((s[2] * 16 | s[3] / 4) % 256));
    r.bytes.push_back(static_cast<std::uint8_t>((s[3] * 64 | s[4]) % 256));
    ++r.pumps;
  }
  if (k < 5) r.bytes.resize(r.bytes.size() - std::min<std::size_t>(5 - k, r.bytes.size()));
  return r;
}

inline Text PlainEncode(const ByteBuffer& bytes) {
  Text out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    unsigned bits = 0;
    for (std::size_t k = 0; k < 3; ++k)
      bits = bits << 8 | (i + k < bytes.size() ? bytes[i + k] : 0);
    for (int k = 3; k >= 0; --k) out.push_back(kAlphabet[(bits >> (6 * k)) & 63]);
  }
  if (bytes.size() % 3 >= 1) out[out.size() - 1] = '=';
  if (bytes.size() % 3 == 1) out[out.size() - 2] = '=';
  return out;
}

inline ByteBuffer PlainRc4(const ByteBuffer& input, const Text& key) {
  if (input.empty()) return {};
  unsigned s[256];
  for (unsigned k = 0; k < 256; ++k) s[k] = k;
  if (!key.empty()) {
    unsigned j = 0;
    for (unsigned i = 0; i < 256; ++i) {
      j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) % 256;
      std::swap(s[i], s[j]);
    }
  }
  ByteBuffer out(input.size());
  unsigned i = 0, j = 0;
  for (std::size_t p = 0; p < input.size(); ++p) {
    i = (i + 1) % 256;
    j = (j + s[i]) % 256;
    std::swap(s[i], s[j]);
    out[p] = static_cast<std::uint8_t>(input[p] ^ s[(s[i] + s[j]) % 256]);
  }
  return out;
}

}  // namespace cipher::plain
