// Line breaks as the cipher sees them (CR LF) and as files on this system
// hold them (LF). Both work on UTF-8, where none of the bytes they look at
// can occur inside another character.
#pragma once

#include <string>
#include <string_view>

namespace textcodec {

// Each kind of line break (LF, CR LF, a lone CR, U+2028 LINE SEPARATOR,
// U+2029 PARAGRAPH SEPARATOR) becomes CR LF.
std::string LineBreaksToCrLf(std::string_view utf8);

// Every CR LF becomes LF; a lone CR or LF stays. Works in the string it is
// given (pass a long text with std::move).
std::string CrLfToLf(std::string utf8);

}  // namespace textcodec
