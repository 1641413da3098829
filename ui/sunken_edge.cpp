#include "ui/sunken_edge.h"

#include <qdrawutil.h>

#include <QFrame>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

namespace ui {
namespace {

constexpr int kEdgeWidth = 2;

// Draws the line edit's panel as a sunken edge around the base colour and
// leaves everything else to the application's style.
class SunkenLineEditStyle : public QProxyStyle {
 public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element != PE_PanelLineEdit) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    const QBrush base = option->palette.brush(QPalette::Base);
    qDrawWinPanel(painter, option->rect, option->palette, true, &base);
  }

  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_DefaultFrameWidth) return kEdgeWidth;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

// The edge is drawn from four palette colours: dark and shadow at the top and
// left, light and midlight at the bottom and right. Midlight takes the face
// colour, as in the classic edge, so that both lower lines are at least as
// light as the window around them (Fusion's midlight is darker).
void UseFaceForInnerLowerLine(QWidget& box) {
  QPalette palette = box.palette();
  palette.setColor(QPalette::Midlight, palette.color(QPalette::Button));
  box.setPalette(palette);
}

}  // namespace

void ApplySunkenEdge(QFrame& box) {
  box.setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  UseFaceForInnerLowerLine(box);
}

void ApplySunkenEdge(QLineEdit& box) {
  box.setFrame(true);
  UseFaceForInnerLowerLine(box);
  auto* style = new SunkenLineEditStyle;
  style->setParent(&box);  // lives as long as the box
  box.setStyle(style);
}

}  // namespace ui
