// Any bytes through the bridges between text and the tool's bytes: the
// command line's text mode, its reading in pieces, and (when Qt is there)
// the window's box text. No input may crash them; a valid text comes back
// as it went in, each line break as LF; pieces convert as the whole does;
// the decoder fed in pieces gives the whole text's bytes; the code page's
// tables give what the converter path they are made from gives.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cipher/base64.h"
#include "cli/codeset_conversion.h"
#include "cli/piecewise_decoder.h"
#include "cli/text_mode.h"
#include "cli/text_pieces.h"
#include "textcodec/gb18030.h"
#include "textcodec/gb18030_converter.h"
#include "textcodec/line_breaks.h"
#include "textcodec/tool_text.h"

#ifdef TEXTCRYPT_FUZZ_WINDOW_BRIDGE
#include <QString>

#include "ui/code_page_bridge.h"

// Without a GB18030 converter nothing here can be checked: a finding.
void ui::ReportMissingGb18030Converter() {
  std::fputs("no GB18030 converter\n", stderr);
  std::abort();
}
#endif

namespace {

// Names the line of the broken rule before it stops.
#define Check(condition) CheckAt(condition, __LINE__)
void CheckAt(bool condition, int line) {
  if (condition) return;
  std::fprintf(stderr, "check failed at line %d\n", line);
  std::abort();
}

std::string WithLfBreaks(std::string_view utf8) {
  return textcodec::CrLfToLf(textcodec::LineBreaksToCrLf(utf8));
}

// A refused input gives this mark instead of bytes (converted bytes never
// hold a zero byte, so it cannot be mistaken). Which of two problems is
// named first may differ (the whole text is searched for a zero byte before
// its encoding is checked; pieces are checked one after the other), so only
// the refusal itself is compared.
const std::string kRefused("\0refused", 8);

// Cuts at the safe places LastSafeCut finds in windows of `window` bytes and
// converts each piece on its own; a refusal ends it.
template <class Convert>
std::string InPieces(std::string_view bytes, std::size_t window, bool utf8, Convert convert) {
  std::string out;
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t cut = bytes.size() - at;
    if (cut > window) {
      cut = cli::LastSafeCut(bytes.substr(at, window), 0, utf8);
      if (cut == 0) cut = bytes.size() - at;
    }
    std::string piece = convert(bytes.substr(at, cut));
    if (piece == kRefused) return piece;
    out += piece;
    at += cut;
  }
  return out;
}

std::string ToolBytes(std::string_view text, const std::string& codeset) {
  cli::ToolBytes bytes = cli::LocaleTextToToolBytes(text, codeset);
  return std::holds_alternative<cipher::Text>(bytes) ? std::get<cipher::Text>(bytes) : kRefused;
}

std::string Utf8Text(std::string_view bytes) {
  return std::get<std::string>(cli::ToolBytesToLocaleText(cipher::Text(bytes), "UTF-8"));
}

void CheckCommandLine(const std::string& input, std::size_t window) {
  // As a UTF-8 text: valid input comes back, line breaks as LF.
  const cli::ToolBytes bytes = cli::LocaleTextToToolBytes(input, "UTF-8");
  if (const auto* tool = std::get_if<cipher::Text>(&bytes)) {
    Check(tool->find('\0') == std::string::npos);
    Check(Utf8Text(*tool) == WithLfBreaks(input));
  }
  Check(InPieces(input, window, true, [](auto p) { return ToolBytes(p, "UTF-8"); }) ==
        ToolBytes(input, "UTF-8"));
  // As a GB18030 text, and as the tool's bytes (what a wrong key gives).
  const std::string gb = ToolBytes(input, "GB18030");
  Check(InPieces(input, window, false, [](auto p) { return ToolBytes(p, "GB18030"); }) == gb);
  if (input.find('\0') == std::string::npos) {
    const std::string shown = Utf8Text(input);
    Check(InPieces(input, window, false, Utf8Text) == shown);
    Check(cli::ConvertStrict(shown, "UTF-8", "UTF-8").ok());
  }
  // As a ciphertext read in pieces.
  cipher::Text text = input;
  for (char& c : text) {
    if (c == '\0') c = ' ';
  }
  cli::PiecewiseDecoder decoder(window);
  cipher::ByteBuffer pieces;
  for (std::size_t at = 0; at < text.size(); at += window / 2 + 1) {
    decoder.Add(std::string_view(text).substr(at, window / 2 + 1), pieces);
  }
  decoder.Finish(pieces);
  Check(pieces == cipher::Base64DecodeLenient(text, [] {}));
}

// The input as UTF-8 (valid or not) and as GB18030 bytes, both ways of
// writing "€" and of reading a lone 0x80.
void CheckTables(const std::string& input) {
  Check(textcodec::Utf8ToGb18030(input, "\x80") ==
        textcodec::Utf8ToGb18030ThroughConverter(input, "\x80"));
  Check(textcodec::Utf8ToGb18030(input) ==
        textcodec::Utf8ToGb18030ThroughConverter(input, textcodec::kGb18030EuroSign));
  Check(textcodec::Gb18030ToUtf8(input, "€") ==
        textcodec::Gb18030ToUtf8ThroughConverter(input, "€"));
  Check(textcodec::Gb18030ToUtf8(input) ==
        textcodec::Gb18030ToUtf8ThroughConverter(input, textcodec::kReplacementCharacter));
}

#ifdef TEXTCRYPT_FUZZ_WINDOW_BRIDGE
void CheckWindow(const std::string& input) {
  // Any UTF-16, lone surrogates included, gives bytes without a zero.
  const QString anyText(reinterpret_cast<const QChar*>(input.data()),
                        static_cast<qsizetype>(input.size() / 2));
  Check(ui::BoxTextToBytes(anyText).find('\0') == std::string::npos);
  // Any bytes show as some text.
  const QString shown = ui::BytesToBoxText(input);
  // ASCII, NULs and lone CRs included, takes a shorter way to the same result.
  if (std::all_of(input.begin(), input.end(), [](char c) { return c >= 0; })) {
    const QString ascii = QString::fromLatin1(input.data(), static_cast<qsizetype>(input.size()));
    Check(ui::BoxTextToBytes(ascii) == *textcodec::Utf8ToToolBytes(input));
    Check(shown.toStdString() == textcodec::ToolBytesToUtf8(input));
  }
  // A valid text without NUL comes back, and the command line agrees.
  if (input.find('\0') != std::string::npos || !cli::ConvertStrict(input, "UTF-8", "UTF-8").ok()) {
    return;
  }
  const QString boxText = QString::fromUtf8(input.data(), static_cast<qsizetype>(input.size()));
  const cipher::Text bytes = ui::BoxTextToBytes(boxText);
  Check(ui::BytesToBoxText(bytes).toStdString() == WithLfBreaks(input));
  Check(bytes == ToolBytes(input, "UTF-8"));
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks the size of the pieces.
  const std::size_t window = size == 0 ? 1 : 1 + data[0] % 64;
  const std::string input(reinterpret_cast<const char*>(data), size);
  CheckCommandLine(input, window);
  CheckTables(input);
#ifdef TEXTCRYPT_FUZZ_WINDOW_BRIDGE
  CheckWindow(input);
#endif
  return 0;
}
