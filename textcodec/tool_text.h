// A text as both front ends hand it to the cipher and take it back: the
// bytes of the tool's code page with CR LF line breaks.
//
// The code page is GB18030, which gives every character of code page 936
// the same bytes and can encode every other character too, with one
// exception that keeps ciphertexts made on code-page-936 systems exact:
// "€" is written as the single byte 0x80, as code page 936 writes it, and
// both 0x80 and GB18030's A2 E3 read as "€".
//
// NUL: the cipher's texts never hold a zero byte. Utf8ToToolBytes leaves
// every NUL character out; FindNul tells where the first one is for a front
// end that refuses such input instead. The window takes box text without its
// NULs (a pasted NUL is invisible there); textcrypt-cli refuses input with a
// zero byte and names its position.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace textcodec {

// The offset of the first zero byte, if any.
std::optional<std::size_t> FindNul(std::string_view text);

// Valid UTF-8 to the tool's bytes: each line break becomes CR LF, "€" the
// byte 0x80, NUL characters are left out. Fails (nullopt) only when the C
// library has no GB18030 converter.
std::optional<std::string> Utf8ToToolBytes(std::string_view utf8);

// The tool's bytes to UTF-8: CR LF becomes LF, a lone 0x80 "€", and bytes
// that are not valid GB18030 (what a wrong key gives) U+FFFD. Never fails.
std::string ToolBytesToUtf8(std::string_view bytes);

}  // namespace textcodec
