// Conversions between the locale's encoding and UTF-8, done with the C
// library's iconv. The tool's code page is textcodec's (textcodec/tool_text.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cli {

enum class ConversionError {
  kNone,
  kUnsupportedCodeset,  // iconv knows one of the two encodings not
  kInvalidInput,        // a byte sequence the source cannot decode or the target cannot encode
};

struct ConversionResult {
  std::string bytes;  // everything converted before the error, if any
  ConversionError error = ConversionError::kNone;
  std::size_t errorOffset = 0;  // byte offset into the input of the sequence that failed

  bool ok() const { return error == ConversionError::kNone; }
};

// Converts every byte or fails at the first sequence that does not convert:
// nothing is dropped or replaced silently.
ConversionResult ConvertStrict(std::string_view input, const std::string& fromCodeset,
                               const std::string& toCodeset);

bool IsUtf8Codeset(std::string_view codeset);

}  // namespace cli
