#include "textcodec/line_breaks.h"

#include <algorithm>

namespace textcodec {
namespace {

constexpr std::string_view kLineSeparator = "\u2028";
constexpr std::string_view kParagraphSeparator = "\u2029";
// Where the next byte a line break can start with (CR, LF or the lead byte
// of U+2028 and U+2029) is; the text between is copied whole. A plain loop:
// find_first_of asks memchr about every byte.
std::size_t NextLineBreakLead(std::string_view utf8, std::size_t at) {
  while (at < utf8.size() && utf8[at] != '\r' && utf8[at] != '\n' && utf8[at] != '\xE2') ++at;
  return at < utf8.size() ? at : std::string_view::npos;
}

}  // namespace

std::string LineBreaksToCrLf(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + utf8.size() / 16);
  std::size_t start = 0;
  for (std::size_t at = NextLineBreakLead(utf8, 0); at != std::string_view::npos;
       at = NextLineBreakLead(utf8, start)) {
    const std::string_view rest = utf8.substr(at);
    std::size_t length = 1;
    if (rest.starts_with("\r\n")) {
      length = 2;
    } else if (rest.starts_with(kLineSeparator) || rest.starts_with(kParagraphSeparator)) {
      length = kLineSeparator.size();
    } else if (utf8[at] != '\n' && utf8[at] != '\r') {
      out.append(utf8.substr(start, at + 1 - start));  // another character
      start = at + 1;
      continue;
    }
    out.append(utf8.substr(start, at - start));
    out += "\r\n";
    start = at + length;
  }
  out.append(utf8.substr(start));
  return out;
}

std::string CrLfToLf(std::string utf8) {
  // In place: the text only shrinks, and a long text is not copied.
  std::size_t kept = 0;   // the text kept so far is at the front
  std::size_t start = 0;  // where the next stretch to keep starts
  for (std::size_t at = utf8.find("\r\n"); at != std::string::npos;
       at = utf8.find("\r\n", at + 2)) {
    std::copy(utf8.begin() + start, utf8.begin() + at, utf8.begin() + kept);
    kept += at - start;
    start = at + 1;  // the LF stays
  }
  if (start == 0) return utf8;
  std::copy(utf8.begin() + start, utf8.end(), utf8.begin() + kept);
  utf8.resize(kept + utf8.size() - start);
  return utf8;
}

}  // namespace textcodec
