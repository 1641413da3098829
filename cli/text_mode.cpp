#include "cli/text_mode.h"

#include <optional>

#include "cli/codeset_conversion.h"
#include "textcodec/tool_text.h"

namespace cli {

namespace {

// A zero byte is the NUL character in every encoding a locale can have; the
// command line refuses it, in its place in the input, before any conversion.
std::optional<InputProblem> ZeroByteIn(std::string_view input) {
  if (const auto zero = textcodec::FindNul(input)) {
    return InputProblem{InputProblem::Kind::kZeroByte, *zero};
  }
  return std::nullopt;
}

}  // namespace

ToolBytes LocaleTextToToolBytes(std::string_view input, const std::string& codeset) {
  if (const auto zero = ZeroByteIn(input)) return *zero;
  // Through UTF-8 to the tool's code page.
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
  // Every Unicode character has a form there: only a missing converter fails.
  std::optional<std::string> tool = textcodec::Utf8ToToolBytes(utf8.bytes);
  if (!tool) return InputProblem{InputProblem::Kind::kUnsupportedCodeset};
  return std::move(*tool);
}

ToolBytes RawToolBytes(std::string_view input) {
  if (const auto zero = ZeroByteIn(input)) return *zero;
  return cipher::Text(input);
}

LocaleText ToolBytesToLocaleText(const cipher::Text& bytes, const std::string& codeset) {
  std::string utf8 = textcodec::ToolBytesToUtf8(bytes);
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
