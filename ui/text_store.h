// The text of an edit box: one QString whose line breaks are all LF, and the
// index of where each paragraph starts, kept up to date by every edit.
#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace ui {

class TextStore {
 public:
  TextStore();

  const QString& Text() const { return text_; }
  qsizetype Size() const { return text_.size(); }
  qsizetype ParagraphCount() const { return static_cast<qsizetype>(starts_.size()); }
  qsizetype ParagraphStart(qsizetype paragraph) const {
    return starts_[static_cast<std::size_t>(paragraph)];
  }
  // The end of the paragraph's text, before its line break.
  qsizetype ParagraphEnd(qsizetype paragraph) const;
  QStringView Paragraph(qsizetype paragraph) const;
  qsizetype ParagraphAt(qsizetype position) const;

  void SetText(QString text);
  // Inserts text at position; CR LF, a lone CR and U+2028/U+2029 become LF.
  // Returns the number of characters inserted.
  qsizetype Insert(qsizetype position, const QString& text);
  void Remove(qsizetype position, qsizetype length);

  // Every line break as LF, so the box's text is the same whatever way it
  // came in.
  static QString NormaliseLineBreaks(const QString& text);

 private:
  // Keeps the string unshared with room to grow, so typing into a long text
  // moves characters but never copies the text to a new block.
  void KeepRoomToGrow();

  QString text_;
  std::vector<qsizetype> starts_;
};

}  // namespace ui
