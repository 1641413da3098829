#include "textcodec/line_breaks.h"

namespace textcodec {
namespace {

constexpr std::string_view kLineSeparator = "\u2028";
constexpr std::string_view kParagraphSeparator = "\u2029";

}  // namespace

std::string LineBreaksToCrLf(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + utf8.size() / 16);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const std::string_view rest = utf8.substr(i);
    if (rest.starts_with("\r\n")) {
      ++i;
    } else if (rest.starts_with(kLineSeparator) || rest.starts_with(kParagraphSeparator)) {
      i += kLineSeparator.size() - 1;
    } else if (utf8[i] != '\n' && utf8[i] != '\r') {
      out += utf8[i];
      continue;
    }
    out += "\r\n";
  }
  return out;
}

std::string CrLfToLf(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    out += utf8[i];
  }
  return out;
}

}  // namespace textcodec
