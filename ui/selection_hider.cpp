#include "ui/selection_hider.h"

#include <QEvent>
#include <QFocusEvent>
#include <QPalette>
#include <QWidget>

namespace ui {
namespace {

class SelectionHider : public QObject {
 public:
  explicit SelectionHider(QWidget& box) : QObject(&box), box_(box) { Hide(); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &box_) {
      if (event->type() == QEvent::FocusIn) {
        Show();
      } else if (event->type() == QEvent::FocusOut &&
                 static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        Hide();
      }
    }
    return false;
  }

 private:
  void Hide() {
    QPalette palette = box_.palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
      palette.setColor(group, QPalette::Highlight, palette.color(group, QPalette::Base));
      palette.setColor(group, QPalette::HighlightedText, palette.color(group, QPalette::Text));
    }
    box_.setPalette(palette);
  }

  void Show() {
    QPalette palette = box_.palette();
    const QPalette application;  // the application's own colours
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
      palette.setColor(group, QPalette::Highlight,
                       application.color(QPalette::Active, QPalette::Highlight));
      palette.setColor(group, QPalette::HighlightedText,
                       application.color(QPalette::Active, QPalette::HighlightedText));
    }
    box_.setPalette(palette);
  }

  QWidget& box_;
};

}  // namespace

void InstallSelectionHider(QWidget& box) {
  box.installEventFilter(new SelectionHider(box));
}

}  // namespace ui
