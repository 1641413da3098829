// Line breaks as the window's boxes hold them (CR LF) and as files on this
// system hold them (LF). Both work on bytes of an ASCII-compatible encoding
// in which CR and LF never occur inside another character, as in GB18030.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// Every LF that does not already follow a CR becomes CR LF; a lone CR stays.
std::string LineBreaksToCrLf(std::string_view text);

// Every CR LF becomes LF; a lone CR or LF stays.
std::string CrLfToLf(std::string_view text);

}  // namespace cli
