#include "textcodec/tool_text.h"

#include <algorithm>

#include "textcodec/gb18030.h"
#include "textcodec/line_breaks.h"

namespace textcodec {
namespace {

constexpr std::string_view kEuroSign = "€";
constexpr std::string_view kCodePage936EuroSign = "\x80";

std::string WithoutNuls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c != '\0') out += c;
  }
  return out;
}

// A long text goes through the line-break and NUL rules a piece at a time,
// so that no second copy of the whole text is made. A piece ends before a
// byte that begins a character (or a broken one) and never after a CR or a
// NUL, so that no line break (CR, NULs, LF reads as one) is cut in two.
constexpr std::size_t kPiece = 1 << 16;

std::size_t PieceEnd(std::string_view utf8, std::size_t at) {
  std::size_t end = std::min(utf8.size(), at + kPiece);
  while (end < utf8.size() &&
         ((utf8[end] & 0xC0) == 0x80 || utf8[end - 1] == '\r' || utf8[end - 1] == '\0')) {
    ++end;
  }
  return end;
}

}  // namespace

std::optional<std::size_t> FindNul(std::string_view text) {
  const std::size_t at = text.find('\0');
  if (at == std::string_view::npos) return std::nullopt;
  return at;
}

std::optional<std::string> Utf8ToToolBytes(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::string piece;
  std::size_t at = 0;
  do {
    const std::size_t end = PieceEnd(utf8, at);
    const std::string_view text = utf8.substr(at, end - at);
    piece = FindNul(text) ? LineBreaksToCrLf(WithoutNuls(text)) : LineBreaksToCrLf(text);
    if (!AppendUtf8AsGb18030(piece, kCodePage936EuroSign, out)) return std::nullopt;
    at = end;
  } while (at < utf8.size());
  return out;
}

std::string ToolBytesToUtf8(std::string_view bytes) {
  return CrLfToLf(Gb18030ToUtf8(bytes, kEuroSign));
}

}  // namespace textcodec
