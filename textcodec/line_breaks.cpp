#include "textcodec/line_breaks.h"

namespace textcodec {
namespace {

constexpr std::string_view kLineSeparator = "\u2028";
constexpr std::string_view kParagraphSeparator = "\u2029";
// The bytes a line break can start with; the text between is copied whole.
constexpr std::string_view kLineBreakLeads = "\r\n\xE2";

}  // namespace

std::string LineBreaksToCrLf(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + utf8.size() / 16);
  std::size_t start = 0;
  for (std::size_t at = utf8.find_first_of(kLineBreakLeads); at != std::string_view::npos;
       at = utf8.find_first_of(kLineBreakLeads, start)) {
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

std::string CrLfToLf(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t start = 0;
  for (std::size_t at = utf8.find("\r\n"); at != std::string_view::npos;
       at = utf8.find("\r\n", start)) {
    out.append(utf8.substr(start, at - start));
    start = at + 1;  // the LF stays
  }
  out.append(utf8.substr(start));
  return out;
}

}  // namespace textcodec
