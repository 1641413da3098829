// The three boxes' sunken edge as the default style paints it: two lines
// darker than the window's face at the top and left, two at least as light at
// the bottom and right, and the white base right inside them.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include "ui/main_window.h"
#include "ui/text_box.h"

namespace {

enum class Side { kTop, kLeft, kBottom, kRight };

// How light the edge is `depth` pixels in from one side, across its middle.
int Shade(const QImage& image, Side side, int depth) {
  const int w = image.width(), h = image.height();
  switch (side) {
    case Side::kTop:
      return qGray(image.pixel(w / 2, depth));
    case Side::kLeft:
      return qGray(image.pixel(depth, h / 2));
    case Side::kBottom:
      return qGray(image.pixel(w / 2, h - 1 - depth));
    case Side::kRight:
      return qGray(image.pixel(w - 1 - depth, h / 2));
  }
  return -1;
}

}  // namespace

class SunkenEdgeTest : public QObject {
  Q_OBJECT

 private slots:
  void everyBoxHasATwoPixelSunkenEdge() {
    ui::MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int face = qGray(window.grab().toImage().pixel(4, 4));
    QWidget* const boxes[] = {window.编辑框1, window.编辑框2, window.编辑框3};
    for (QWidget* box : boxes) {
      const QImage image = box->grab().toImage();
      for (const Side side : {Side::kTop, Side::kLeft}) {
        QVERIFY2(Shade(image, side, 0) < face, qPrintable(box->objectName()));
        QVERIFY2(Shade(image, side, 1) < Shade(image, side, 0), qPrintable(box->objectName()));
        QCOMPARE(Shade(image, side, 2), 255);
      }
      for (const Side side : {Side::kBottom, Side::kRight}) {
        QVERIFY2(Shade(image, side, 1) >= face, qPrintable(box->objectName()));
        QVERIFY2(Shade(image, side, 0) >= Shade(image, side, 1), qPrintable(box->objectName()));
        QCOMPARE(Shade(image, side, 2), 255);
      }
    }
  }
};

QTEST_MAIN(SunkenEdgeTest)
#include "sunken_edge_test.moc"
