#include "ui/message_box.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace ui {
namespace {

MessageBoxWatcher& Watcher() {
  static MessageBoxWatcher watcher;
  return watcher;
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Error:
      break;
  }
  return QMessageBox::Critical;  // the stop sign
}

}  // namespace

void SetMessageBoxWatcher(MessageBoxWatcher watcher) {
  Watcher() = std::move(watcher);
}

void ShowMessageBox(const QString& text, const QString& title, MessageIcon icon) {
  QString shownText = text;
  shownText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

  QMessageBox box(ToQtIcon(icon), title, shownText, QMessageBox::Ok);  // no owner
  box.setWindowModality(Qt::ApplicationModal);
  box.setTextFormat(Qt::PlainText);
  // Qt's Chinese translation says the same; spelt out so the box reads right
  // even where the translation files are missing.
  box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));

  if (Watcher()) {
    const MessageBoxWatcher watcher = Watcher();  // a watcher may replace itself
    QTimer::singleShot(0, &box, [&box, watcher] { watcher(box); });
  }
  box.exec();
}

}  // namespace ui
