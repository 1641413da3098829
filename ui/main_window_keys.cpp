// The keys the window sees before the focused control: Tab and Shift+Tab
// walk the tab order, Esc closes, Enter does nothing outside the two
// multi-line boxes.
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

#include "ui/main_window.h"
#include "ui/text_box.h"

namespace ui {
namespace {

constexpr Qt::KeyboardModifiers kChordModifiers = Qt::ControlModifier | Qt::AltModifier;

}  // namespace

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
    return HandleKeyPress(static_cast<QWidget*>(watched), static_cast<const QKeyEvent&>(*event));
  }
  return QWidget::eventFilter(watched, event);
}

bool MainWindow::HandleKeyPress(QWidget* target, const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers();
  const bool chord = (modifiers & kChordModifiers) != 0;
  const bool shift = (modifiers & Qt::ShiftModifier) != 0;
  const bool multiLineBox = target == 编辑框1 || target == 编辑框2;

  switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if (!chord) {
        MoveFocusAlongTabOrder(key.key() == Qt::Key_Tab && !shift);
        return true;
      }
      // Ctrl+Tab and the like go on to the control, but never as a tab
      // character into a box.
      return multiLineBox || target == 编辑框3;
    case Qt::Key_Escape:
      if (!chord && !shift) {
        close();
        return true;
      }
      return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // A multi-line box claims Enter for a line break; anywhere else Enter
      // would press the default button, and there is none.
      return !multiLineBox;
    default:
      return false;
  }
}

void MainWindow::MoveFocusAlongTabOrder(bool forward) {
  const auto count = static_cast<std::ptrdiff_t>(tabOrder_.size());
  const auto found = std::find(tabOrder_.begin(), tabOrder_.end(), focusWidget());
  std::ptrdiff_t next = 0;
  if (found != tabOrder_.end()) {
    const std::ptrdiff_t at = found - tabOrder_.begin();
    next = forward ? (at + 1) % count : (at + count - 1) % count;
  } else if (!forward) {
    next = count - 1;
  }
  tabOrder_[static_cast<std::size_t>(next)]->setFocus(forward ? Qt::TabFocusReason
                                                              : Qt::BacktabFocusReason);
}

}  // namespace ui
