#include "cipher/base64.h"

namespace cipher {
namespace {

constexpr bool IsLeadByte(char c) {
  return static_cast<std::uint8_t>(c) >= 0x80;
}

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

namespace base64_detail {

// Spaces and CR LF pairs out of a text with no byte of 0x80 or more, where
// every byte is a unit of its own. A CR goes with the LF that follows it
// once spaces are gone, even with spaces in between; a CR that only meets an
// LF because another pair was removed stays, as the two passes keep it.
// Appends to `out`; returns false, leaving `out` unfinished, on meeting a
// byte of 0x80 or more.
bool AppendCleanedSingleByteText(std::string_view text, Text& out) {
  const ScanKernel scan = ActiveKernels().scan;
  out.reserve(out.size() + text.size());
  const std::size_t n = text.size();
  std::size_t at = 0;
  while (at < n) {
    const std::size_t run = scan(text.data() + at, n - at);
    out.append(text.data() + at, run);
    at += run;
    if (at == n) break;
    const char c = text[at];
    if (IsLeadByte(c)) return false;
    if (c == ' ') {
      ++at;
      continue;
    }
    std::size_t next = at + 1;  // c is a CR: what follows the spaces after it decides
    while (next < n && text[next] == ' ') ++next;
    if (next < n && text[next] == '\n') {
      at = next + 1;
      continue;
    }
    out += '\r';
    at = next;
  }
  return true;
}

Text CleanForDecoding(std::string_view text) {
  Text cleaned;
  if (AppendCleanedSingleByteText(text, cleaned)) return cleaned;
  // Two-byte units change what is matched where; the two passes are the rule.
  return RemoveAllCrLf(RemoveAllSpaces(Text(text)));
}

}  // namespace base64_detail

}  // namespace cipher
