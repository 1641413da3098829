#include "cli/codeset_conversion.h"

#include "textcodec/iconv.h"

namespace cli {

ConversionResult ConvertStrict(std::string_view input, const std::string& fromCodeset,
                               const std::string& toCodeset) {
  ConversionResult result;
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
