// The window as it is laid out, and the keys and focus it handles itself.
#include "ui/main_window.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "ui/app_start.h"
#include "ui/text_box.h"
#include "window_fixture.h"

using ui::FromUtf8;
using ui::MainWindow;
using ui_test::PressKey;
using ui_test::ShowWindow;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void windowItself() {
    MainWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarnevok特制文本加密工具"));
    QCOMPARE(window.size(), QSize(968, 566));
    QCOMPARE(window.minimumSize(), QSize(968, 566));
    QCOMPARE(window.maximumSize(), QSize(968, 566));  // not resizable
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags.testFlag(Qt::Window));
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window.parentWidget() == nullptr);  // its own task-bar button
    const QList<QSize> iconSizes = window.windowIcon().availableSizes();
    QCOMPARE(iconSizes.size(), 1);
    QCOMPARE(iconSizes.front(), QSize(157, 154));
    QVERIFY(window.autoFillBackground());
    QCOMPARE(window.backgroundRole(), QPalette::Button);
  }

  void centring_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("frameTopLeft");
    QTest::newRow("1920 x 1080") << QRect(0, 0, 1920, 1080) << QPoint(473, 242);
    QTest::newRow("odd remainders truncate") << QRect(0, 0, 1367, 769) << QPoint(196, 87);
    QTest::newRow("one pixel smaller truncates toward zero")
        << QRect(0, 0, 973, 594) << QPoint(0, 0);
    QTest::newRow("small screen gives a negative position")
        << QRect(0, 0, 800, 480) << QPoint(-87, -57);
    QTest::newRow("primary screen not at the origin")
        << QRect(100, 50, 1974, 1595) << QPoint(600, 550);
  }
  void centring() {
    QFETCH(QRect, screen);
    QFETCH(QPoint, frameTopLeft);
    QCOMPARE(MainWindow::CentredFramePosition(screen), frameTopLeft);
  }

  void controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("标签2") << "标签2"
                           << "文本：" << QRect(16, 0, 168, 24);
    QTest::newRow("按钮3") << "按钮3"
                           << "清除内容" << QRect(88, 0, 72, 24);
    QTest::newRow("按钮5") << "按钮5"
                           << "帮助/用法" << QRect(880, 0, 72, 24);
    QTest::newRow("编辑框1") << "编辑框1"
                             << "" << QRect(16, 24, 936, 232);
    QTest::newRow("标签3") << "标签3"
                           << "加密/解密密钥：" << QRect(184, 264, 96, 24);
    QTest::newRow("编辑框3") << "编辑框3"
                             << "" << QRect(280, 264, 296, 24);
    QTest::newRow("按钮1") << "按钮1"
                           << "加密" << QRect(592, 264, 176, 24);
    QTest::newRow("按钮2") << "按钮2"
                           << "解密" << QRect(776, 264, 176, 24);
    QTest::newRow("标签1") << "标签1"
                           << "加密文本：" << QRect(16, 272, 160, 24);
    QTest::newRow("按钮4") << "按钮4"
                           << "清除内容" << QRect(88, 272, 72, 24);
    QTest::newRow("编辑框2") << "编辑框2"
                             << "" << QRect(16, 296, 936, 240);
  }
  void controls() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, rect);
    const auto window = ShowWindow();
    auto* control = window->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->geometry(), rect);
    QVERIFY(control->isVisible());
    QVERIFY(control->isEnabled());
    if (auto* label = qobject_cast<QLabel*>(control)) QCOMPARE(label->text(), caption);
    if (auto* button = qobject_cast<QPushButton*>(control)) QCOMPARE(button->text(), caption);
    QVERIFY(!control->accessibleName().isEmpty());
    if (!caption.isEmpty()) QCOMPARE(control->accessibleName(), caption);
  }

  void boxesAreEmptyAndNamedForAccessibility() {
    MainWindow window;
    QCOMPARE(window.编辑框1->toPlainText(), QString());
    QCOMPARE(window.编辑框2->toPlainText(), QString());
    QCOMPARE(window.编辑框3->text(), QString());
    QCOMPARE(window.编辑框1->accessibleName(), QStringLiteral("文本"));
    QCOMPARE(window.编辑框2->accessibleName(), QStringLiteral("加密文本"));
    QCOMPARE(window.编辑框3->accessibleName(), QStringLiteral("加密/解密密钥"));
  }

  // From the top: 按钮5, 按钮4, 按钮3, 标签3, 编辑框3, 标签2, 标签1, 按钮2,
  // 按钮1, 编辑框2, 编辑框1; Qt keeps siblings bottom first.
  void stackingOrder() {
    MainWindow window;
    QStringList bottomFirst;
    for (QObject* child : window.children()) {
      if (child->isWidgetType()) bottomFirst << child->objectName();
    }
    QCOMPARE(bottomFirst, QStringList({"编辑框1", "编辑框2", "按钮1", "按钮2", "标签1", "标签2",
                                       "编辑框3", "标签3", "按钮3", "按钮4", "按钮5"}));
    // Where rectangles overlap, the button is on top of its label.
    QCOMPARE(window.childAt(100, 12), window.按钮3);
    QCOMPARE(window.childAt(20, 12), window.标签2);
    QCOMPARE(window.childAt(100, 284), window.按钮4);
    QCOMPARE(window.childAt(170, 284), window.标签1);
  }

  void labelSettings() {
    MainWindow window;
    for (QLabel* label : {window.标签1, window.标签2, window.标签3}) {
      QVERIFY(label->autoFillBackground());
      QCOMPARE(label->palette().color(label->backgroundRole()),
               window.palette().color(QPalette::Button));
      QCOMPARE(label->palette().color(label->foregroundRole()), QColor(Qt::black));
      QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
      QVERIFY(!label->wordWrap());
      QCOMPARE(label->frameShape(), QFrame::NoFrame);
      QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }
  }

  void buttonSettings() {
    MainWindow window;
    for (QPushButton* button :
         {window.按钮1, window.按钮2, window.按钮3, window.按钮4, window.按钮5}) {
      QVERIFY(!button->isDefault());
      QVERIFY(!button->autoDefault());
      QVERIFY(button->icon().isNull());
      QCOMPARE(button->focusPolicy(), Qt::StrongFocus);
    }
  }

  void editBoxSettings() {
    const auto shown = ShowWindow();
    MainWindow& window = *shown;
    for (ui::TextBox* box : {window.编辑框1, window.编辑框2}) {
      QVERIFY(box->findChildren<QScrollBar*>().isEmpty());  // no scroll bars
      QCOMPARE(box->focusPolicy(), Qt::StrongFocus);
      QVERIFY(box->testAttribute(Qt::WA_InputMethodEnabled));
      QCOMPARE(box->palette().color(QPalette::Base), QColor(Qt::white));
      QCOMPARE(box->palette().color(QPalette::Text), QColor(Qt::black));
      QCOMPARE(box->frameShadow(), QFrame::Sunken);
      // Wrapped at the box's width, less its edge and margins.
      QVERIFY(box->LineWidth() > box->width() - 20 && box->LineWidth() < box->width());
    }
    QCOMPARE(window.编辑框1->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    QCOMPARE(window.编辑框2->wordWrapMode(), QTextOption::WrapAnywhere);

    QLineEdit* key = window.编辑框3;
    QCOMPARE(key->echoMode(), QLineEdit::Normal);  // shown in clear
    QCOMPARE(key->maxLength(), std::numeric_limits<int>::max());
    QVERIFY(key->hasFrame());
    QVERIFY(!key->isReadOnly());
    QCOMPARE(key->palette().color(QPalette::Base), QColor(Qt::white));
  }

  void keyBoxTakesLongKeys() {
    MainWindow window;
    const QString longKey(100000, QChar(u'钥'));
    window.编辑框3->setText(longKey);
    QCOMPARE(window.编辑框3->text(), longKey);
  }

  // The selection stays but is drawn in the box's own colours without focus.
  void selectionHiddenWithoutFocus() {
    const auto window = ShowWindow();
    ui::TextBox* box = window->编辑框1;
    box->setPlainText(QStringLiteral("选中的文本"));
    box->selectAll();
    QVERIFY(box->hasFocus());
    QVERIFY(box->palette().color(QPalette::Highlight) != box->palette().color(QPalette::Base));

    PressKey(*window, Qt::Key_Tab);
    QVERIFY(!box->hasFocus());
    QVERIFY(box->hasSelection());
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
      QCOMPARE(box->palette().color(group, QPalette::Highlight),
               box->palette().color(group, QPalette::Base));
      QCOMPARE(box->palette().color(group, QPalette::HighlightedText),
               box->palette().color(group, QPalette::Text));
    }
    PressKey(*window, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(box->hasFocus());
    QVERIFY(box->palette().color(QPalette::Highlight) != box->palette().color(QPalette::Base));
  }

  void focusStartsInPlaintextBox() {
    const auto window = ShowWindow();
    QCOMPARE(QApplication::focusWidget(), window->编辑框1);
  }

  void tabCyclesBothWays() {
    const auto window = ShowWindow();
    const QList<QWidget*> order(window->TabOrder().begin(), window->TabOrder().end());
    QCOMPARE(order,
             QList<QWidget*>({window->编辑框1, window->编辑框2, window->按钮1, window->按钮2,
                              window->编辑框3, window->按钮3, window->按钮4, window->按钮5}));
    for (int step = 1; step <= 2 * order.size(); ++step) {
      PressKey(*window, Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), order[step % order.size()]);
    }
    for (int step = 1; step <= 2 * order.size(); ++step) {
      PressKey(*window, Qt::Key_Backtab, Qt::ShiftModifier);
      QCOMPARE(QApplication::focusWidget(),
               order[(order.size() - step % order.size()) % order.size()]);
    }
    // Shift with the Tab key itself, as some keyboards report it.
    PressKey(*window, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), window->按钮5);
    // No box ever receives a tab character, with or without Ctrl.
    QVERIFY(!window->编辑框1->toPlainText().contains(u'\t'));
    QVERIFY(!window->编辑框2->toPlainText().contains(u'\t'));
    window->编辑框1->setFocus();
    PressKey(*window, Qt::Key_Tab, Qt::ControlModifier);
    QVERIFY(!window->编辑框1->toPlainText().contains(u'\t'));
  }

  void enterKey() {
    const auto window = ShowWindow();
    for (ui::TextBox* box : {window->编辑框1, window->编辑框2}) {
      box->setFocus();
      ui_test::Type(*window, "ab");
      PressKey(*window, Qt::Key_Return);
      PressKey(*window, Qt::Key_Enter, Qt::KeypadModifier);
      ui_test::Type(*window, "c");
      QCOMPARE(box->toPlainText(), QStringLiteral("ab\n\nc"));
    }
    window->编辑框3->setFocus();
    ui_test::Type(*window, "k");
    PressKey(*window, Qt::Key_Return);
    QCOMPARE(window->编辑框3->text(), QStringLiteral("k"));
    // Enter on a button presses nothing: there is no default button.
    QSignalSpy clicks(window->按钮1, &QPushButton::clicked);
    window->按钮1->setFocus();
    PressKey(*window, Qt::Key_Return);
    PressKey(*window, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(window->编辑框2->toPlainText(), QStringLiteral("ab\n\nc"));  // no encryption ran
    // The platform's key for a focused button still clicks it.
    PressKey(*window, Qt::Key_Space);
    QCOMPARE(clicks.count(), 1);
  }

  void escapeClosesFromAnyControl() {
    for (int at = 0; at < 8; ++at) {
      const auto window = ShowWindow();
      window->编辑框1->setPlainText(QStringLiteral("不会被询问"));
      window->TabOrder()[static_cast<std::size_t>(at)]->setFocus();
      PressKey(*window, Qt::Key_Escape);
      QVERIFY(window->IsGone());
      QVERIFY(!window->isVisible());
    }
  }

  void escapeWithModifiersDoesNotClose() {
    const auto window = ShowWindow();
    PressKey(*window, Qt::Key_Escape, Qt::ShiftModifier);
    PressKey(*window, Qt::Key_Escape, Qt::ControlModifier);
    QVERIFY(!window->IsGone());
    QVERIFY(window->isVisible());
  }

  void focusReturnsOnReactivation() {
    const auto window = ShowWindow();
    window->按钮2->setFocus();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!window->isActiveWindow());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QCOMPARE(QApplication::focusWidget(), window->按钮2);
  }

  void qtTextsInChinese() {
    ui::LoadQtChineseTranslation(*QCoreApplication::instance());
    const QString undo = QCoreApplication::translate("QLineEdit", "&Undo");
    if (undo == QStringLiteral("&Undo")) QSKIP("Qt's Chinese translation is not installed");
    QVERIFY(undo.startsWith(QStringLiteral("撤")));  // the edit boxes' context menus
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("确定"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
