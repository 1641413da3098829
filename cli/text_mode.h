// The edge between the terminal's text and the cipher's bytes. Text mode
// reads a text the way the window reads a box: characters in the tool's code
// page, each line break as CR LF. Raw mode passes bytes through.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "cipher/types.h"

namespace cli {

struct InputProblem {
  enum class Kind {
    kZeroByte,            // a cipher text can hold no zero byte
    kNotInCodeset,        // not valid in the locale's encoding
    kUnsupportedCodeset,  // the locale's encoding is unknown to iconv
  };
  Kind kind;
  std::size_t offset = 0;  // byte offset into the input
};

struct OutputProblem {
  enum class Kind {
    kNotRepresentable,    // a character the locale's encoding lacks
    kUnsupportedCodeset,  // the locale's encoding is unknown to iconv
  };
  Kind kind;
};

using ToolBytes = std::variant<cipher::Text, InputProblem>;
using LocaleText = std::variant<std::string, OutputProblem>;

// Locale text to the tool's bytes (textcodec/tool_text.h): CR LF line breaks,
// "€" as 0x80. A zero byte is refused with its place, never dropped.
ToolBytes LocaleTextToToolBytes(std::string_view input, const std::string& codeset);

// Bytes as they stand; only a zero byte is refused.
ToolBytes RawToolBytes(std::string_view input);

// The tool's bytes to locale text with LF line breaks; a lone 0x80 is "€",
// bytes that are not valid GB18030 become U+FFFD.
LocaleText ToolBytesToLocaleText(const cipher::Text& bytes, const std::string& codeset);

// For messages: the locale's form of a UTF-8 text, or the UTF-8 itself
// where the locale cannot show it.
std::string Utf8ToLocaleForDisplay(std::string_view utf8, const std::string& codeset);

}  // namespace cli
