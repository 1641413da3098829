#include "cipher/base64.h"

namespace cipher {
namespace {

constexpr bool IsLeadByte(char c) { return static_cast<std::uint8_t>(c) >= 0x80; }

}  // namespace

Text Base64Encode(const ByteBuffer& bytes) {
  Text out;
  if (bytes.empty()) return out;
  out.resize((bytes.size() + 2) / 3 * 4);

  // Missing bytes of the last group read as zero; only our output sees them.
  const auto at = [&](std::size_t i) -> unsigned { return i < bytes.size() ? bytes[i] : 0u; };
  std::size_t o = 0;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const unsigned b0 = at(i), b1 = at(i + 1), b2 = at(i + 2);
    out[o++] = Base64Alphabet[b0 >> 2];
    out[o++] = Base64Alphabet[((b0 & 3) << 4) | (b1 >> 4)];
    out[o++] = Base64Alphabet[((b1 & 15) << 2) | (b2 >> 6)];
    out[o++] = Base64Alphabet[b2 & 63];
  }
  const std::size_t remainder = bytes.size() % 3;
  if (remainder >= 1) out[out.size() - 1] = '=';
  if (remainder == 1) out[out.size() - 2] = '=';
  return out;
}

Text RemoveAllSpaces(const Text& text) {
  Text out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    if (!IsLeadByte(text[i])) {
      if (text[i] != ' ') out += text[i];
      i += 1;
      continue;
    }
    if (i + 1 == n) break;  // a lead byte with nothing after it is dropped
    const bool fullWidthSpace = text[i] == '\xA1' && text[i + 1] == '\xA1';
    if (!fullWidthSpace) out.append(text, i, 2);
    i += 2;
  }
  return out;
}

Text RemoveAllCrLf(const Text& text) {
  Text out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') {
      i += 2;
      continue;
    }
    const std::size_t unit = IsLeadByte(text[i]) && i + 1 < n ? 2 : 1;
    out.append(text, i, unit);
    i += unit;
  }
  return out;
}

}  // namespace cipher
