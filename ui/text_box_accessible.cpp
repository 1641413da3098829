#include "ui/text_box_accessible.h"

#include <QAccessibleWidget>
#include <algorithm>
#include <limits>

#include "ui/text_box.h"

namespace ui {
namespace {

// Offsets reach screen readers as int; a text longer than that is cut off
// there, never wrapped around.
int ToInt(qsizetype value) {
  return static_cast<int>(std::min<qsizetype>(value, std::numeric_limits<int>::max()));
}

class TextBoxAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
 public:
  explicit TextBoxAccessible(TextBox* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface) {
      return static_cast<QAccessibleEditableTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return Box()->toPlainText();
    return QAccessibleWidget::text(kind);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
  }

  // QAccessibleTextInterface
  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || !Box()->hasSelection()) return;
    *start = ToInt(std::min(Box()->CaretPosition(), Box()->AnchorPosition()));
    *end = ToInt(std::max(Box()->CaretPosition(), Box()->AnchorPosition()));
  }
  int selectionCount() const override { return Box()->hasSelection() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int index) override {
    if (index == 0) Box()->SetSelection(Box()->CaretPosition(), Box()->CaretPosition());
  }
  void setSelection(int index, int start, int end) override {
    if (index == 0) Box()->SetSelection(start, end);
  }
  int cursorPosition() const override { return ToInt(Box()->CaretPosition()); }
  void setCursorPosition(int position) override { Box()->SetSelection(position, position); }
  QString text(int start, int end) const override { return Box()->TextRange(start, end); }
  int characterCount() const override { return ToInt(Box()->TextSize()); }
  QRect characterRect(int offset) const override {
    const QRect local = Box()->CharacterRect(offset);
    return local.isNull() ? QRect() : QRect(Box()->mapToGlobal(local.topLeft()), local.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    return ToInt(Box()->PositionAt(Box()->mapFromGlobal(point)));
  }
  void scrollToSubstring(int start, int end) override {
    Box()->EnsureVisible(end);
    Box()->EnsureVisible(start);
  }
  QString attributes(int offset, int* start, int* end) const override {
    // One run of attributes: the whole text looks the same.
    *start = offset < 0 ? -1 : 0;
    *end = offset < 0 ? -1 : characterCount();
    return QString();
  }

  // QAccessibleEditableTextInterface
  void deleteText(int start, int end) override { Box()->ReplaceRange(start, end, QString()); }
  void insertText(int offset, const QString& text) override {
    Box()->ReplaceRange(offset, offset, text);
  }
  void replaceText(int start, int end, const QString& text) override {
    Box()->ReplaceRange(start, end, text);
  }

 private:
  TextBox* Box() const { return static_cast<TextBox*>(widget()); }
};

QAccessibleInterface* CreateForTextBox(const QString&, QObject* object) {
  if (auto* box = qobject_cast<TextBox*>(object)) return new TextBoxAccessible(box);
  return nullptr;
}

}  // namespace

void InstallTextBoxAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(CreateForTextBox);
    return true;
  }();
  (void)installed;
}

}  // namespace ui
