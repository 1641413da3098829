#include "ui/text_store.h"

#include <algorithm>
#include <cstring>

namespace ui {
namespace {

bool IsBreak(QChar c) {
  return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

}  // namespace

TextStore::TextStore() : starts_{0} {}

QString TextStore::NormaliseLineBreaks(const QString& text) {
  const bool clean = std::none_of(text.begin(), text.end(), [](QChar c) {
    return c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
  });
  if (clean) return text;  // shared, not copied
  QString normal;
  normal.reserve(text.size());
  const qsizetype size = text.size();
  for (qsizetype i = 0; i < size; ++i) {
    const QChar c = text[i];
    if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n') continue;
    normal += IsBreak(c) ? QChar(u'\n') : c;
  }
  return normal;
}

qsizetype TextStore::ParagraphEnd(qsizetype paragraph) const {
  return paragraph + 1 < ParagraphCount() ? ParagraphStart(paragraph + 1) - 1 : text_.size();
}

QStringView TextStore::Paragraph(qsizetype paragraph) const {
  const qsizetype start = ParagraphStart(paragraph);
  return QStringView(text_).sliced(start, ParagraphEnd(paragraph) - start);
}

qsizetype TextStore::ParagraphAt(qsizetype position) const {
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), position);
  return static_cast<qsizetype>(after - starts_.begin()) - 1;
}

void TextStore::KeepRoomToGrow() {
  const qsizetype room = std::max<qsizetype>(4096, text_.size() / 16);
  if (text_.isDetached() && text_.capacity() - text_.size() >= room / 4) return;
  text_.reserve(text_.size() + room);
}

void TextStore::SetText(QString text) {
  text_ = NormaliseLineBreaks(text);
  text.clear();  // the caller's string, moved in, no longer shares the text
  KeepRoomToGrow();
  starts_.assign(1, 0);
  const qsizetype size = text_.size();
  const QChar* data = text_.constData();
  for (qsizetype i = 0; i < size; ++i) {
    if (data[i] == u'\n') starts_.push_back(i + 1);
  }
}

qsizetype TextStore::Insert(qsizetype position, const QString& text) {
  const QString normal = NormaliseLineBreaks(text);
  if (normal.isEmpty()) return 0;
  const qsizetype size = normal.size();
  const qsizetype paragraph = ParagraphAt(position);
  if (text_.isEmpty()) {
    text_ = normal;
    KeepRoomToGrow();
  } else {
    // QString::insert may move the text to a new block to make room at the
    // front; moving the tail within the block keeps a keystroke cheap.
    const qsizetype old = text_.size();
    if (!text_.isDetached() || text_.capacity() - old < size) {
      text_.reserve(old + size + std::max<qsizetype>(4096, old / 16));
    }
    text_.resize(old + size);
    QChar* data = text_.data();
    std::memmove(data + position + size, data + position,
                 static_cast<std::size_t>(old - position) * sizeof(QChar));
    std::copy(normal.cbegin(), normal.cend(), data + position);
  }
  const auto later = starts_.begin() + paragraph + 1;
  for (auto it = later; it != starts_.end(); ++it) *it += size;
  std::vector<qsizetype> added;
  for (qsizetype i = 0; i < size; ++i) {
    if (normal[i] == u'\n') added.push_back(position + i + 1);
  }
  starts_.insert(later, added.begin(), added.end());
  return size;
}

void TextStore::Remove(qsizetype position, qsizetype length) {
  if (length <= 0) return;
  text_.remove(position, length);
  const auto first = std::upper_bound(starts_.begin(), starts_.end(), position);
  const auto last = std::upper_bound(first, starts_.end(), position + length);
  const auto kept = starts_.erase(first, last);
  for (auto it = kept; it != starts_.end(); ++it) *it -= length;
}

}  // namespace ui
