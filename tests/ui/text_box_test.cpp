// The edit box driven as a user drives it: keys, selection, clipboard,
// undo, the mouse, an input method and a screen reader.
#include "ui/text_box.h"

#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QAccessibleTextInterface>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QRandomGenerator>
#include <QStyleHints>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

#include "ui/app_start.h"
#include "window_fixture.h"

namespace {

struct Step {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

struct EditCase {
  const char* name;
  QString text;
  qsizetype anchor;
  qsizetype caret;
  QString typedFirst;  // typed before the steps
  std::vector<Step> steps;
  QString expectedText;
  qsizetype expectedAnchor;
  qsizetype expectedCaret;
};

const Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
const Qt::KeyboardModifiers kShift = Qt::ShiftModifier;

std::vector<EditCase> EditCases() {
  const QString emoji = QString::fromUtf16(u"a\U0001F600b");
  const QString accent = QString::fromUtf16(u"e\u0301x");
  return {
      {"typing inserts at the caret", "ac", 1, 1, "b", {}, "abc", 2, 2},
      {"Left steps over a surrogate pair",
       emoji,
       4,
       4,
       "",
       {{Qt::Key_Left}, {Qt::Key_Left}},
       emoji,
       1,
       1},
      {"Right steps over a base and its mark", accent, 0, 0, "", {{Qt::Key_Right}}, accent, 2, 2},
      {"Backspace takes one code point off", accent, 2, 2, "", {{Qt::Key_Backspace}}, "ex", 1, 1},
      {"Backspace takes a whole surrogate pair",
       emoji,
       3,
       3,
       "",
       {{Qt::Key_Backspace}},
       "ab",
       1,
       1},
      {"Delete takes the next character", accent, 0, 0, "", {{Qt::Key_Delete}}, "x", 0, 0},
      {"Shift+Right selects, typing replaces",
       "abc",
       0,
       0,
       "",
       {{Qt::Key_Right, kShift}, {Qt::Key_Right, kShift}, {Qt::Key_X}},
       "xc",
       1,
       1},
      {"Left collapses a selection to its start", "abcd", 1, 3, "", {{Qt::Key_Left}}, "abcd", 1, 1},
      {"Ctrl+Right goes to the next word",
       "hello world",
       0,
       0,
       "",
       {{Qt::Key_Right, kCtrl}},
       "hello world",
       6,
       6},
      {"Ctrl+Shift+Left selects the word before",
       "hello world",
       11,
       11,
       "",
       {{Qt::Key_Left, kCtrl | kShift}},
       "hello world",
       11,
       6},
      {"Ctrl+Backspace deletes the word before",
       "hello world",
       11,
       11,
       "",
       {{Qt::Key_Backspace, kCtrl}},
       "hello ",
       6,
       6},
      {"Down and Up keep the column",
       "abc\ndef\ng",
       1,
       1,
       "",
       {{Qt::Key_Down}},
       "abc\ndef\ng",
       5,
       5},
      {"Down on the last line goes to the end",
       "abc\ndef",
       5,
       5,
       "",
       {{Qt::Key_Down}},
       "abc\ndef",
       7,
       7},
      {"Ctrl+End and Ctrl+Shift+Home",
       "ab\ncd",
       0,
       0,
       "",
       {{Qt::Key_End, kCtrl}, {Qt::Key_Home, kCtrl | kShift}},
       "ab\ncd",
       5,
       0},
      {"Home and End of a paragraph", "ab\ncd", 4, 4, "", {{Qt::Key_End}}, "ab\ncd", 5, 5},
      {"Enter inserts a line break", "ab", 1, 1, "", {{Qt::Key_Return}}, "a\nb", 2, 2},
      {"typing undoes as one step", "x", 1, 1, "abc", {{Qt::Key_Z, kCtrl}}, "x", 1, 1},
      {"Ctrl+Y redoes", "x", 1, 1, "ab", {{Qt::Key_Z, kCtrl}, {Qt::Key_Y, kCtrl}}, "xab", 3, 3},
      {"Ctrl+Shift+Z redoes",
       "x",
       1,
       1,
       "ab",
       {{Qt::Key_Z, kCtrl}, {Qt::Key_Z, kCtrl | kShift}},
       "xab",
       3,
       3},
      {"undo brings deleted text back selected as before",
       "abcd",
       1,
       3,
       "",
       {{Qt::Key_Delete}, {Qt::Key_Z, kCtrl}},
       "abcd",
       1,
       3},
      {"a caret move ends the typing step",
       "",
       0,
       0,
       "ab",
       {{Qt::Key_Left}, {Qt::Key_C}, {Qt::Key_Z, kCtrl}},
       "ab",
       1,
       1},
      {"Ctrl+A then Delete empties",
       "ab\ncd",
       2,
       2,
       "",
       {{Qt::Key_A, kCtrl}, {Qt::Key_Delete}},
       "",
       0,
       0},
      {"copy and paste",
       "ab",
       0,
       0,
       "",
       {{Qt::Key_A, kCtrl}, {Qt::Key_C, kCtrl}, {Qt::Key_End, kCtrl}, {Qt::Key_V, kCtrl}},
       "abab",
       4,
       4},
      {"cut and paste",
       "abc",
       0,
       1,
       "",
       {{Qt::Key_X, kCtrl}, {Qt::Key_End}, {Qt::Key_V, kCtrl}},
       "bca",
       3,
       3},
  };
}

std::unique_ptr<ui::TextBox> ShownBox(QTextOption::WrapMode wrap, QSize size = {300, 120}) {
  auto box = std::make_unique<ui::TextBox>(wrap);
  box->resize(size);
  box->show();
  box->activateWindow();
  box->setFocus();
  if (!QTest::qWaitForWindowActive(box.get())) qWarning("the box did not become active");
  return box;
}

// Types each character as a key press carrying it, as a keyboard layout
// for any script would.
void TypeText(QWidget& widget, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(&widget, &press);
  }
}

// Counts the paints of a widget and the area they covered.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QWidget& widget) { widget.installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) rects.push_back(static_cast<QPaintEvent*>(event)->rect());
    return false;
  }
  std::vector<QRect> rects;
};

}  // namespace

class TextBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void editingTable() {
    const auto box = ShownBox(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const EditCase& c : EditCases()) {
      box->setPlainText(c.text);
      box->SetSelection(c.anchor, c.caret);
      QTest::keyClicks(box.get(), c.typedFirst);
      for (const Step& step : c.steps) QTest::keyClick(box.get(), step.key, step.modifiers);
      const QString what = QString::fromLatin1(c.name);
      QVERIFY2(box->toPlainText() == c.expectedText,
               qPrintable(what + QStringLiteral(": ") + box->toPlainText()));
      QVERIFY2(box->AnchorPosition() == c.expectedAnchor && box->CaretPosition() == c.expectedCaret,
               qPrintable(what + QStringLiteral(": anchor %1, caret %2")
                                     .arg(box->AnchorPosition())
                                     .arg(box->CaretPosition())));
    }
  }

  // End on a wrapped line stops at that line, and the next line starts
  // where it ended; Page Down moves the view a page.
  void wrappedLinesAndPages() {
    const auto box = ShownBox(QTextOption::WrapAnywhere, {200, 100});
    const QString text(5000, u'Q');
    box->setPlainText(text);
    const std::vector<qsizetype> starts = box->LineStarts(0);
    QVERIFY(starts.size() > 20);
    QTest::keyClick(box.get(), Qt::Key_End);
    QCOMPARE(box->CaretPosition(), starts[1] - 1);
    QTest::keyClick(box.get(), Qt::Key_Right);
    QTest::keyClick(box.get(), Qt::Key_Home);
    QCOMPARE(box->CaretPosition(), starts[1]);

    box->SetSelection(0, 0);
    QTest::keyClick(box.get(), Qt::Key_PageDown);
    const qsizetype top = box->FirstVisiblePosition();
    QVERIFY(top > 0);
    QVERIFY(std::find(starts.begin(), starts.end(), top) != starts.end());
    QVERIFY(box->CaretPosition() >= top);
    QVERIFY(box->rect().contains(box->CaretRect()));
    QTest::keyClick(box.get(), Qt::Key_PageUp);
    QCOMPARE(box->FirstVisiblePosition(), 0);
    QCOMPARE(box->CaretPosition(), 0);

    // The view follows the caret to the end and back.
    QTest::keyClick(box.get(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(box->CaretPosition(), text.size());
    // The caret's line is the bottom one.
    const QRect caret = box->CaretRect();
    QVERIFY(box->contentsRect().contains(caret));
    QVERIFY(caret.bottom() + caret.height() > box->contentsRect().bottom() - 4);
    QVERIFY(std::find(starts.begin(), starts.end(), box->FirstVisiblePosition()) != starts.end());
    QTest::keyClick(box.get(), Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(box->FirstVisiblePosition(), 0);
  }

  // Edits in long paragraphs keep every line where it belongs: after each
  // one the box shows the lines a fresh box shows for the same text.
  void editsKeepLinesRight() {
    for (const auto wrap : {QTextOption::WrapAtWordBoundaryOrAnywhere, QTextOption::WrapAnywhere}) {
      const auto box = ShownBox(wrap, {250, 100});
      QString text;
      for (int i = 0; i < 3000; ++i) text += QStringLiteral("word%1 中文，").arg(i % 97);
      box->setPlainText(text + QStringLiteral("\n第二段"));
      QRandomGenerator random(7);
      for (int edit = 0; edit < 30; ++edit) {
        box->LineStarts(0);
        const auto at = static_cast<qsizetype>(random.bounded(static_cast<int>(box->TextSize())));
        if (edit % 3 == 2) {
          box->SetSelection(at, std::min(box->TextSize(), at + random.bounded(40)));
          QTest::keyClick(box.get(), Qt::Key_Delete);
        } else {
          box->SetSelection(at, at);
          TypeText(*box, edit % 2 ? QStringLiteral("ab") : QStringLiteral("长 x"));
        }
        ui::TextBox fresh(wrap);
        fresh.resize(box->size());
        fresh.setPlainText(box->toPlainText());
        for (qsizetype paragraph = 0; paragraph < 2; ++paragraph) {
          const std::vector<qsizetype> edited = box->LineStarts(paragraph);
          const std::vector<qsizetype> whole = fresh.LineStarts(paragraph);
          std::size_t line = 0;
          while (line < edited.size() && line < whole.size() && edited[line] == whole[line]) ++line;
          QVERIFY2(line == edited.size() && line == whole.size(),
                   qPrintable(QStringLiteral("edit %1 at %2, line %3: %4 against %5")
                                  .arg(edit)
                                  .arg(at)
                                  .arg(line)
                                  .arg(line < edited.size() ? edited[line] : -1)
                                  .arg(line < whole.size() ? whole[line] : -1)));
        }
      }
    }
  }

  void mouse() {
    const auto box = ShownBox(QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setPlainText(QStringLiteral("first line\nsecond words here"));
    const QRect first = box->CharacterRect(0);
    const QRect sixth = box->CharacterRect(6);  // the l of line
    QTest::mouseClick(box.get(), Qt::LeftButton, {}, sixth.topLeft() + QPoint(1, 2));
    QCOMPARE(box->CaretPosition(), 6);
    QVERIFY(!box->hasSelection());
    QTest::mouseDClick(box.get(), Qt::LeftButton, {}, box->CharacterRect(13).center());
    QCOMPARE(box->SelectedText(), QStringLiteral("second"));
    QTest::mousePress(box.get(), Qt::LeftButton, {}, first.topLeft() + QPoint(0, 2));
    QTest::mouseMove(box.get(), box->CharacterRect(5).topLeft() + QPoint(0, 2));
    QTest::mouseRelease(box.get(), Qt::LeftButton, {},
                        box->CharacterRect(5).topLeft() + QPoint(0, 2));
    QCOMPARE(box->SelectedText(), QStringLiteral("first"));
  }

  void inputMethod() {
    const auto box = ShownBox(QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setPlainText(QStringLiteral("你好"));
    box->SetSelection(1, 1);
    QInputMethodEvent preedit(QStringLiteral("shi"),
                              {{QInputMethodEvent::Cursor, 3, 1, QVariant()}});
    QApplication::sendEvent(box.get(), &preedit);
    QCOMPARE(box->toPlainText(), QStringLiteral("你好"));  // preedit is shown, not inserted
    const QRect withPreedit = box->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QVERIFY(withPreedit.isValid());

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("世"));
    QApplication::sendEvent(box.get(), &commit);
    QCOMPARE(box->toPlainText(), QStringLiteral("你世好"));
    QCOMPARE(box->CaretPosition(), 2);
    QCOMPARE(box->inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("你世好"));
    QCOMPARE(box->inputMethodQuery(Qt::ImCursorPosition).toInt(), 2);
    QVERIFY(box->inputMethodQuery(Qt::ImEnabled).toBool());
    QVERIFY(box->testAttribute(Qt::WA_InputMethodEnabled));
    box->SetSelection(0, 1);
    QCOMPARE(box->inputMethodQuery(Qt::ImCurrentSelection).toString(), QStringLiteral("你"));
    QCOMPARE(box->inputMethodQuery(Qt::ImAnchorPosition).toInt(), 0);
    // Typing through the input method undoes like typing.
    QTest::keyClick(box.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box->toPlainText(), QStringLiteral("你好"));
  }

  void accessibleText() {
    const auto window = ui_test::ShowWindow();
    ui::TextBox* box = window->编辑框1;
    box->setPlainText(QStringLiteral("你好 world"));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(box);
    QVERIFY(accessible != nullptr);
    QCOMPARE(accessible->role(), QAccessible::EditableText);
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("文本"));
    QCOMPARE(QAccessible::queryAccessibleInterface(window->编辑框2)->text(QAccessible::Name),
             QStringLiteral("加密文本"));
    QVERIFY(accessible->state().editable);
    QAccessibleTextInterface* text = accessible->textInterface();
    QVERIFY(text != nullptr);
    QCOMPARE(text->characterCount(), 8);
    QCOMPARE(text->text(0, 2), QStringLiteral("你好"));
    text->setSelection(0, 3, 8);
    QCOMPARE(box->SelectedText(), QStringLiteral("world"));
    int start = 0;
    int end = 0;
    text->selection(0, &start, &end);
    QCOMPARE(std::make_pair(start, end), std::make_pair(3, 8));
    QCOMPARE(text->cursorPosition(), 8);
    text->setCursorPosition(1);
    QCOMPARE(box->CaretPosition(), 1);
    QVERIFY(text->characterRect(0).isValid());
    QCOMPARE(text->offsetAtPoint(box->mapToGlobal(box->CharacterRect(1).center())), 1);
    QAccessibleEditableTextInterface* editable = accessible->editableTextInterface();
    QVERIFY(editable != nullptr);
    editable->insertText(2, QStringLiteral("，"));
    editable->replaceText(3, 9, QStringLiteral("世界"));
    QCOMPARE(box->toPlainText(), QStringLiteral("你好，世界"));
  }

  void contextMenuInChinese() {
    ui::LoadQtChineseTranslation(*QCoreApplication::instance());
    const auto box = ShownBox(QTextOption::WrapAnywhere);
    box->setPlainText(QStringLiteral("abc"));
    box->SetSelection(0, 1);
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) shown << action->text().section(u'\t', 0, 0);
      }
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, box->rect().center(),
                            box->mapToGlobal(box->rect().center()));
    QApplication::sendEvent(box.get(), &event);
    QCOMPARE(shown.size(), 7);
    if (QCoreApplication::translate("QWidgetTextControl", "&Copy") == QStringLiteral("&Copy")) {
      QSKIP("Qt's Chinese translation is not installed");
    }
    QVERIFY2(shown[0].startsWith(QStringLiteral("撤")), qPrintable(shown.join(u',')));
    QVERIFY(shown[3].contains(QStringLiteral("复制")));
  }

  // Blinking repaints the caret's own rectangle and nothing else.
  void caretBlinksInItsOwnRectangle() {
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (flash < 2) QSKIP("the platform does not blink the caret");
    const auto box = ShownBox(QTextOption::WrapAnywhere);
    box->setPlainText(QString(20000, u'x'));
    QTest::qWait(50);
    PaintRecorder recorder(*box);
    QTest::qWait(flash + flash / 4);
    QVERIFY(!recorder.rects.empty());
    for (const QRect& rect : recorder.rects) QCOMPARE(rect, box->CaretRect());
  }

  // The box takes a long text whole, edits it and gives it back unchanged.
  void longTextRoundTrip() {
    const auto box = ShownBox(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QString line(2 << 20, u'密');
    box->setPlainText(line);
    QTest::keyClick(box.get(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(box.get(), Qt::Key_A);
    QTest::keyClick(box.get(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(box.get(), Qt::Key_B);
    QCOMPARE(box->toPlainText().size(), line.size() + 2);
    QVERIFY(box->toPlainText().startsWith(u'b') && box->toPlainText().endsWith(u'a'));
    QVERIFY(box->rect().contains(box->CaretRect()));
  }
};

QTEST_MAIN(TextBoxTest)
#include "text_box_test.moc"
