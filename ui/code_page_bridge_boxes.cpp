// The bridge's forms for whole boxes. They live apart from the conversion
// itself, which needs Qt Core only (the fuzz target builds it without the
// widgets).
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

#include "ui/code_page_bridge.h"
#include "ui/text_box.h"

namespace ui {

cipher::Text ReadBoxText(const TextBox& box) {
  // The box keeps every line break as LF; the bridge makes each CR LF.
  return BoxTextToBytes(box.toPlainText());
}

cipher::Text ReadBoxText(const QPlainTextEdit& box) {
  // The raw text keeps no-break spaces that toPlainText() would turn into
  // ordinary ones; block breaks come back as U+2029 and the bridge reads
  // them as line breaks.
  return BoxTextToBytes(box.document()->toRawText());
}

cipher::Text ReadBoxText(const QLineEdit& box) {
  return BoxTextToBytes(box.text());
}

void WriteBoxText(TextBox& box, const cipher::Text& text) {
  box.setPlainText(BytesToBoxText(text));
}

void WriteBoxText(QPlainTextEdit& box, const cipher::Text& text) {
  box.setPlainText(BytesToBoxText(text));
}

void WriteBoxText(QLineEdit& box, const cipher::Text& text) {
  box.setText(BytesToBoxText(text));
}

}  // namespace ui
