#include "ui/guarded_application.h"

#include "ui/fatal_error.h"

namespace ui {

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportCurrentException();
  }
}

}  // namespace ui
