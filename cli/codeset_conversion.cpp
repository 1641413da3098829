#include "cli/codeset_conversion.h"

#include <optional>

#include "textcodec/iconv.h"
#include "textcodec/utf8.h"

namespace cli {
namespace {

// Where the first sequence that is not well-formed UTF-8 starts. The C
// library's decoder is not enough: it takes the old five- and six-byte forms
// and four-byte forms beyond U+10FFFF, which no other encoding can hold.
std::optional<std::size_t> FirstInvalidUtf8(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    const auto c = textcodec::Utf8CharacterAt(bytes, at);
    if (!c) return at;
    at += c->length;
  }
  return std::nullopt;
}

}  // namespace

ConversionResult ConvertStrict(std::string_view input, const std::string& fromCodeset,
                               const std::string& toCodeset) {
  ConversionResult result;
  if (IsUtf8Codeset(fromCodeset)) {
    if (const auto invalid = FirstInvalidUtf8(input)) {
      result.error = ConversionError::kInvalidInput;
      result.errorOffset = *invalid;
      return result;
    }
    if (IsUtf8Codeset(toCodeset)) {
      result.bytes = input;
      return result;
    }
  }
  textcodec::Iconv cd(toCodeset.c_str(), fromCodeset.c_str());
  if (!cd.valid()) {
    result.error = ConversionError::kUnsupportedCodeset;
    return result;
  }
  const textcodec::Iconv::Stop stop = cd.Convert(input, 0, result.bytes);
  if (stop.failure != 0) {
    result.error = ConversionError::kInvalidInput;
    result.errorOffset = stop.at;
    return result;
  }
  cd.Reset(result.bytes);
  return result;
}

bool IsUtf8Codeset(std::string_view codeset) {
  std::string folded;
  for (char c : codeset) {
    if (c != '-' && c != '_') folded += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  }
  return folded == "UTF8";
}

}  // namespace cli
