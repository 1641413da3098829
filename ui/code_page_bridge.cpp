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

}  // namespace

cipher::Text BoxTextToBytes(const QString& boxText) {
  const QByteArray utf8 = WithPairedSurrogates(boxText).toUtf8();
  std::optional<std::string> bytes = textcodec::Utf8ToToolBytes(
      std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
  if (!bytes) ReportMissingGb18030Converter();
  return std::move(*bytes);
}

QString BytesToBoxText(const cipher::Text& bytes) {
  const std::string utf8 = textcodec::ToolBytesToUtf8(bytes);
  return FromUtf8(utf8);
}

}  // namespace ui
