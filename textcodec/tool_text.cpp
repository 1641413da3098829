#include "textcodec/tool_text.h"

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

}  // namespace

std::optional<std::size_t> FindNul(std::string_view text) {
  const std::size_t at = text.find('\0');
  if (at == std::string_view::npos) return std::nullopt;
  return at;
}

std::optional<std::string> Utf8ToToolBytes(std::string_view utf8) {
  return Utf8ToGb18030(LineBreaksToCrLf(FindNul(utf8) ? WithoutNuls(utf8) : std::string(utf8)),
                       kCodePage936EuroSign);
}

std::string ToolBytesToUtf8(std::string_view bytes) {
  return CrLfToLf(Gb18030ToUtf8(bytes, kEuroSign));
}

}  // namespace textcodec
