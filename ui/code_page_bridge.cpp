#include "ui/code_page_bridge.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "textcodec/tool_text.h"
#include "ui/utf8_string.h"

namespace ui {
namespace {

// Qt would write an unpaired surrogate as "?"; it becomes U+FFFD instead, as
// the box shows it. The text is copied only when it holds one.
QString WithPairedSurrogates(QString text) {
  const qsizetype size = text.size();
  for (qsizetype i = 0; i < size; ++i) {
    const QChar c = std::as_const(text)[i];
    if (c.isHighSurrogate() && i + 1 < size && std::as_const(text)[i + 1].isLowSurrogate()) {
      ++i;
    } else if (c.isSurrogate()) {
      text[i] = QChar::ReplacementCharacter;
    }
  }
  return text;
}

// Text of ASCII alone (every ciphertext) is the same in UTF-8 and in the
// tool's bytes; only its line breaks and NULs change on the way, so it is
// written in one pass instead of through UTF-8 and the code page. A first
// pass finds out whether it is ASCII and how long the result is, so that
// other text costs no allocation here and ASCII exactly one.
bool IsAscii(const char16_t* chars, qsizetype size) {
  char16_t any = 0;
  for (qsizetype i = 0; i < size; ++i) any |= chars[i];
  return any < 0x80;
}

// Calls put(byte) for each byte of the tool's text: NULs left out, each
// line break CR LF, a CR and the LF after it one break.
template <class Put>
void AsciiBytes(const char16_t* chars, qsizetype size, Put put) {
  bool afterCr = false;
  for (qsizetype i = 0; i < size; ++i) {
    const char16_t c = chars[i];
    if (c == 0) continue;
    if (c == u'\n' && afterCr) {
      afterCr = false;
      continue;
    }
    afterCr = c == u'\r';
    if (c == u'\r' || c == u'\n') {
      put('\r');
      put('\n');
    } else {
      put(static_cast<char>(c));
    }
  }
}

std::optional<cipher::Text> AsciiTextToBytes(const QString& text) {
  const auto* chars = reinterpret_cast<const char16_t*>(text.utf16());
  const qsizetype size = text.size();
  if (!IsAscii(chars, size)) return std::nullopt;
  std::size_t length = 0;
  AsciiBytes(chars, size, [&](char) { ++length; });
  cipher::Text bytes(length, '\0');
  char* out = bytes.data();
  AsciiBytes(chars, size, [&](char b) { *out++ = b; });
  return bytes;
}

// The same the other way: CR LF becomes LF.
std::optional<QString> AsciiBytesToText(const cipher::Text& bytes) {
  unsigned char any = 0;
  for (const char b : bytes) any |= static_cast<unsigned char>(b);
  if (any >= 0x80) return std::nullopt;
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  char16_t* out = reinterpret_cast<char16_t*>(text.data());
  qsizetype length = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    out[length++] = static_cast<char16_t>(bytes[i]);
  }
  text.truncate(length);
  return text;
}

}  // namespace

cipher::Text BoxTextToBytes(const QString& boxText) {
  if (std::optional<cipher::Text> ascii = AsciiTextToBytes(boxText)) return std::move(*ascii);
  const QByteArray utf8 = WithPairedSurrogates(boxText).toUtf8();
  std::optional<std::string> bytes = textcodec::Utf8ToToolBytes(
      std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
  if (!bytes) ReportMissingGb18030Converter();
  return std::move(*bytes);
}

QString BytesToBoxText(const cipher::Text& bytes) {
  if (std::optional<QString> ascii = AsciiBytesToText(bytes)) return std::move(*ascii);
  const std::string utf8 = textcodec::ToolBytesToUtf8(bytes);
  return FromUtf8(utf8);
}

}  // namespace ui
