// GB18030 both ways, with the mapping the tool's ciphertexts have always been
// made with: the C library's converter with our own mappings on top, through
// tables made from it on first use (gb18030_tables.h). The tool's own rules
// (tool_text.h) are built on these.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace textcodec {

inline constexpr char kGb18030[] = "GB18030";
inline constexpr std::string_view kReplacementCharacter = "\uFFFD";

inline constexpr std::string_view kGb18030EuroSign = "\xA2\xE3";

// GB18030 can encode every Unicode scalar value, so this fails only when the
// C library has no GB18030 converter (nullopt). "€" is written as
// euroSignBytes. A byte that is not part of valid UTF-8 becomes U+FFFD; the
// front ends never hand one over.
std::optional<std::string> Utf8ToGb18030(std::string_view utf8,
                                         std::string_view euroSignBytes = kGb18030EuroSign);

// As Utf8ToGb18030, appending to `out`; false (and `out` as it was) only
// without a GB18030 converter.
bool AppendUtf8AsGb18030(std::string_view utf8, std::string_view euroSignBytes, std::string& out);

// Never fails: each sequence that is not valid GB18030 becomes U+FFFD, cut
// the way the Encoding Standard's gb18030 decoder and ICU cut it, so an
// ASCII byte after a bad lead byte survives and a sequence cut off by the end
// loses its lead byte only (the bytes after it are read again). A lone 0x80,
// which GB18030 leaves undefined, becomes loneByte80.
std::string Gb18030ToUtf8(std::string_view bytes,
                          std::string_view loneByte80 = kReplacementCharacter);

}  // namespace textcodec
