#include "ui/code_page_bridge.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace ui {
namespace {

constexpr char kCodePage[] = "GB18030";

bool IsLineBreak(QChar c) {
  return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// Line breaks as LF, unpaired surrogates as U+FFFD (the encoder would
// otherwise drop a trailing one and turn the others into SUB), no NULs.
QString NormaliseForEncoding(const QString& boxText) {
  QString clean;
  clean.reserve(boxText.size());
  const qsizetype size = boxText.size();
  for (qsizetype i = 0; i < size; ++i) {
    const QChar c = boxText[i];
    if (c == u'\r' && i + 1 < size && boxText[i + 1] == u'\n') continue;  // the LF follows
    if (IsLineBreak(c)) {
      clean += u'\n';
    } else if (c.isHighSurrogate() && i + 1 < size && boxText[i + 1].isLowSurrogate()) {
      clean += c;
      clean += boxText[++i];
    } else if (c.isSurrogate()) {
      clean += QChar::ReplacementCharacter;
    } else if (c != QChar::Null) {
      clean += c;
    }
  }
  return clean;
}

}  // namespace

cipher::Text BoxTextToBytes(const QString& boxText) {
  QStringEncoder encoder(kCodePage);
  const QByteArray encoded = encoder.encode(NormaliseForEncoding(boxText));
  cipher::Text bytes;
  bytes.reserve(static_cast<std::size_t>(encoded.size()) + encoded.count('\n'));
  for (const char byte : encoded) {
    if (byte == '\n') bytes += '\r';
    bytes += byte;
  }
  return bytes;
}

QString BytesToBoxText(const cipher::Text& bytes) {
  // The decoder keeps an unfinished sequence at the end to itself; a final LF
  // (never part of a multi-byte character) makes it show that as U+FFFD.
  QByteArray input(bytes.data(), static_cast<qsizetype>(bytes.size()));
  input += '\n';
  QStringDecoder decoder(kCodePage);
  QString text = decoder.decode(input);
  text.chop(1);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

}  // namespace ui
