// While the fatal error box is up, the program's other windows sleep.
#pragma once

#include <QObject>
#include <QWidgetList>

namespace ui {

// From construction to destruction no event reaches the windows that exist
// at construction, nor anything inside them; windows made later (the box)
// are served as usual. The failure that is being reported may have left a
// window half-way through an update (a text half laid out), and a paint, a
// timer or a focus change would run that code again from the inside, or ask
// for the memory that just ran out.
class WindowsAsleep : public QObject {
 public:
  WindowsAsleep();
  ~WindowsAsleep() override;
  WindowsAsleep(const WindowsAsleep&) = delete;
  WindowsAsleep& operator=(const WindowsAsleep&) = delete;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  bool Sleeps(const QObject* object) const;

  QWidgetList sleeping_;
};

}  // namespace ui
