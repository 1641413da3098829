// The program's application object.
#pragma once

#include <QApplication>

namespace ui {

// An exception that leaves an event handler ends in the fatal error box
// where event delivery began, before it could unwind into Qt's event loop,
// whose cleanup on the way out leaves nothing to show a box with.
class GuardedApplication : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace ui
