#include "cli/codeset_conversion.h"

#include <cstdint>
#include <optional>

#include "textcodec/iconv.h"

namespace cli {
namespace {

// Where the first sequence that is not well-formed UTF-8 starts. The C
// library's decoder is not enough: it takes the old five- and six-byte forms
// and four-byte forms beyond U+10FFFF, which no other encoding can hold.
std::optional<std::size_t> FirstInvalidUtf8(std::string_view bytes) {
  const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
  for (std::size_t i = 0; i < bytes.size();) {
    const std::uint8_t lead = at(i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // The lead byte decides the length and the range of the second byte,
    // which rules out overlong forms, surrogates and code points past U+10FFFF.
    std::size_t length = 0;
    std::uint8_t secondLow = 0x80;
    std::uint8_t secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) secondLow = 0xA0;
      if (lead == 0xED) secondHigh = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) secondLow = 0x90;
      if (lead == 0xF4) secondHigh = 0x8F;
    }
    if (length == 0 || bytes.size() - i < length) return i;
    if (at(i + 1) < secondLow || at(i + 1) > secondHigh) return i;
    for (std::size_t k = 2; k < length; ++k) {
      if ((at(i + k) & 0xC0) != 0x80) return i;
    }
    i += length;
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
