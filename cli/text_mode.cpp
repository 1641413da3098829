#include "cli/text_mode.h"

#include "cli/codeset_conversion.h"
#include "cli/line_breaks.h"

namespace cli {

ToolBytes LocaleTextToToolBytes(std::string_view input, const std::string& codeset) {
  if (const auto zero = input.find('\0'); zero != std::string_view::npos) {
    return InputProblem{InputProblem::Kind::kZeroByte, zero};
  }
  // Through UTF-8, where line breaks are plain to see, to the tool's code page.
  ConversionResult utf8;
  if (IsUtf8Codeset(codeset)) {
    utf8 = ConvertStrict(input, "UTF-8", "UTF-8");  // validates
  } else {
    utf8 = ConvertStrict(input, codeset, "UTF-8");
  }
  switch (utf8.error) {
    case ConversionError::kNone:
      break;
    case ConversionError::kUnsupportedCodeset:
      return InputProblem{InputProblem::Kind::kUnsupportedCodeset};
    case ConversionError::kInvalidInput:
      return InputProblem{InputProblem::Kind::kNotInCodeset, utf8.errorOffset};
  }
  // Every Unicode character has a GB18030 form: only a missing converter fails.
  ConversionResult tool = ConvertStrict(LineBreaksToCrLf(utf8.bytes), "UTF-8", kToolCodeset);
  if (!tool.ok()) return InputProblem{InputProblem::Kind::kUnsupportedCodeset};
  return std::move(tool.bytes);
}

ToolBytes RawToolBytes(std::string_view input) {
  if (const auto zero = input.find('\0'); zero != std::string_view::npos) {
    return InputProblem{InputProblem::Kind::kZeroByte, zero};
  }
  return cipher::Text(input);
}

LocaleText ToolBytesToLocaleText(const cipher::Text& bytes, const std::string& codeset) {
  std::string utf8 = CrLfToLf(DecodeGb18030Lenient(bytes));
  if (IsUtf8Codeset(codeset)) return utf8;
  ConversionResult converted = ConvertStrict(utf8, "UTF-8", codeset);
  switch (converted.error) {
    case ConversionError::kNone:
      break;
    case ConversionError::kUnsupportedCodeset:
      return OutputProblem{OutputProblem::Kind::kUnsupportedCodeset};
    case ConversionError::kInvalidInput:
      return OutputProblem{OutputProblem::Kind::kNotRepresentable};
  }
  return std::move(converted.bytes);
}

std::string Utf8ToLocaleForDisplay(std::string_view utf8, const std::string& codeset) {
  if (IsUtf8Codeset(codeset)) return std::string(utf8);
  ConversionResult converted = ConvertStrict(utf8, "UTF-8", codeset);
  return converted.ok() ? std::move(converted.bytes) : std::string(utf8);
}

}  // namespace cli
