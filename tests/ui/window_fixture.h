// Helpers shared by the window's tests: a shown window, input that goes the
// way a user's would (through the window system, so modal boxes block it),
// and a recorder for the message boxes.
#pragma once

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <functional>
#include <memory>
#include <vector>

#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/utf8_string.h"

namespace ui_test {

// A shown, active window, deleted at the end of the test.
inline std::unique_ptr<ui::MainWindow> ShowWindow() {
  auto window = std::make_unique<ui::MainWindow>();
  window->show();
  window->activateWindow();
  if (!QTest::qWaitForWindowActive(window.get())) qWarning("the window did not become active");
  return window;
}

// A left click at the control's centre, delivered as the window system would.
inline void Click(QWidget& control) {
  QWidget* window = control.window();
  const QPoint at = control.mapTo(window, control.rect().center());
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

inline void PressKey(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  QTest::keyClick(window.windowHandle(), key, modifiers);
}

inline void Type(QWidget& window, const char* ascii) {
  for (const char* c = ascii; *c != 0; ++c) QTest::keyClick(window.windowHandle(), *c);
}

// Input that waits in the queue until the next pump or loop looks.
inline void Later(std::function<void()> input) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(input), Qt::QueuedConnection);
}
inline void PostClick(QWidget& control) {
  Later([&control] { Click(control); });
}
inline void PostKey(QWidget& window, Qt::Key key) {
  Later([&window, key] { PressKey(window, key); });
}

struct ShownBox {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  QStringList buttons;
  bool hasOwner;
  Qt::WindowModality modality;
};

// Records every box shown while it lives. Each box is answered at once, or
// first handed to whileShown, which runs inside the box's modal loop.
class BoxRecorder {
 public:
  explicit BoxRecorder(std::function<void(QMessageBox&)> whileShown = {})
      : whileShown_(std::move(whileShown)) {
    ui::SetMessageBoxWatcher([this](QMessageBox& box) {
      QStringList buttons;
      for (QAbstractButton* button : box.buttons()) buttons << button->text();
      boxes.push_back({box.windowTitle(), box.text(), box.icon(), buttons,
                       box.parentWidget() != nullptr, box.windowModality()});
      if (whileShown_) whileShown_(box);
      box.buttons().front()->click();
    });
  }
  ~BoxRecorder() { ui::SetMessageBoxWatcher({}); }
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  std::vector<ShownBox> boxes;

 private:
  std::function<void(QMessageBox&)> whileShown_;
};

}  // namespace ui_test
