#include "ui/windows_asleep.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace ui {

WindowsAsleep::WindowsAsleep() : sleeping_(QApplication::topLevelWidgets()) {
  QCoreApplication::instance()->installEventFilter(this);
}

WindowsAsleep::~WindowsAsleep() {
  QCoreApplication::instance()->removeEventFilter(this);
}

bool WindowsAsleep::Sleeps(const QObject* object) const {
  // The nearest widget or window that the object belongs to decides.
  for (; object != nullptr; object = object->parent()) {
    if (object->isWidgetType())
      return sleeping_.contains(static_cast<const QWidget*>(object)->window());
    if (object->isWindowType()) {
      for (const QWidget* window : sleeping_) {
        if (window->windowHandle() == object) return true;
      }
      return false;
    }
  }
  return false;
}

bool WindowsAsleep::eventFilter(QObject* receiver, QEvent* event) {
  (void)event;
  return Sleeps(receiver);
}

}  // namespace ui
