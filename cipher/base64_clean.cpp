// The two cleaners, and the one pass the decoder uses in their place.
#include <string_view>

#include "cipher/base64.h"
#include "cipher/base64_cleaning.h"
#include "cipher/base64_kernels.h"
#include "cipher/base64_rules.h"

namespace cipher {

using base64_detail::IsHighByte;
using base64_detail::kCarriageReturn;
using base64_detail::kSpace;
using base64_detail::UnitLength;

Text RemoveAllSpaces(const Text& text) {
  Text out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const std::size_t unit = UnitLength(text, i);
    if (unit == 1 && IsHighByte(text[i])) break;  // nothing after it to make a unit: dropped
    // The full-width space of the tool's code page is the unit A1 A1.
    const bool space = unit == 1 ? text[i] == kSpace : text[i] == '\xA1' && text[i + 1] == '\xA1';
    if (!space) out.append(text, i, unit);
    i += unit;
  }
  return out;
}

Text RemoveAllCrLf(const Text& text) {
  Text out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    if (text[i] == kCarriageReturn && i + 1 < n && text[i + 1] == '\n') {
      i += 2;
      continue;
    }
    const std::size_t unit = UnitLength(text, i);
    out.append(text, i, unit);
    i += unit;
  }
  return out;
}

namespace base64_detail {

// Spaces and CR LF pairs out of a text with no byte of 0x80 and up, where
// every byte is a unit of its own. A CR goes with the LF that follows it
// once spaces are gone, even with spaces in between; a CR that only meets an
// LF because another pair was removed stays, as the two passes keep it.
// Appends to `out`; returns false, leaving `out` unfinished, on meeting a
// byte of 0x80 and up.
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
    if (IsHighByte(c)) return false;
    if (c == kSpace) {
      ++at;
      continue;
    }
    std::size_t next = at + 1;  // c is a CR: what follows the spaces after it decides
    while (next < n && text[next] == kSpace) ++next;
    if (next < n && text[next] == '\n') {
      at = next + 1;
      continue;
    }
    out += kCarriageReturn;
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
