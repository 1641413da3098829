// Conversions between the locale's encoding, UTF-8 and the tool's code page
// (GB18030), done with the C library's iconv.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cli {

inline constexpr const char* kToolCodeset = "GB18030";

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

// GB18030 to UTF-8 that never fails: each sequence that is not valid GB18030
// becomes U+FFFD. Malformed sequences are cut the way the Encoding Standard's
// gb18030 decoder (and the window's ICU decoder) cuts them, so an ASCII byte
// after a bad lead byte survives.
std::string DecodeGb18030Lenient(std::string_view bytes);

bool IsUtf8Codeset(std::string_view codeset);

}  // namespace cli
