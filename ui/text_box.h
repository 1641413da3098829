// The window's multi-line edit box, whose cost follows what is on the screen
// rather than the length of its text.
//
// Design:
// - The text lives in a TextStore: one QString with LF line breaks and the
//   start of every paragraph. An edit is one insert or remove in the string
//   (a memmove, milliseconds even at 64 MiB) and a shift of the paragraph
//   starts after it.
// - Lines are found per paragraph by a LineWrapper, lazily and only as far
//   as someone asks: the paint walks down from the top line, the caret asks
//   for its own line, Ctrl+End asks for the last paragraph's last line. Each
//   paragraph keeps the line starts found so far. An edit keeps the starts
//   before the edited line (nothing before it can move) and drops the rest
//   of that paragraph; other paragraphs keep theirs.
// - The view is the paragraph and line start at the top of the box; there is
//   no scroll bar, so no line number or total height is ever needed. Moving
//   the view or the caret walks lines from a known one.
// - Only the visible lines are laid out for painting, each by its own small
//   QTextLayout (kept while the text and width stay as they are), so shaped
//   text, selection, the caret's position and the input method's preedit all
//   come from Qt.
// - While the program is idle after a change, the last paragraph's lines
//   are found ahead in slices of a millisecond or so, for Ctrl+End.
// - The caret blinks by repainting its own rectangle, which touches one line.
#pragma once

#include <QBasicTimer>
#include <QFrame>
#include <QTextOption>
#include <memory>
#include <unordered_map>
#include <vector>

#include "ui/line_wrapper.h"
#include "ui/text_store.h"

class QTextLayout;

namespace ui {

class TextBox : public QFrame {
  Q_OBJECT

 public:
  explicit TextBox(QTextOption::WrapMode wrap, QWidget* parent = nullptr);
  ~TextBox() override;

  // The whole text, each line break as LF.
  QString toPlainText() const { return store_.Text(); }
  // Replaces the whole text; the caret goes to the start and undo forgets.
  void setPlainText(QString text);
  void clear() { setPlainText(QString()); }
  QTextOption::WrapMode wordWrapMode() const { return wrapper_->Mode(); }
  qsizetype TextSize() const { return store_.Size(); }
  QString TextRange(qsizetype start, qsizetype end) const;

  qsizetype CaretPosition() const { return caret_; }
  qsizetype AnchorPosition() const { return anchor_; }
  bool hasSelection() const { return caret_ != anchor_; }
  QString SelectedText() const;
  // The caret goes to caret, the selection runs from anchor to it.
  void SetSelection(qsizetype anchor, qsizetype caret);
  void selectAll();
  // Replaces the characters from start to end with text, as one undo step.
  void ReplaceRange(qsizetype start, qsizetype end, const QString& text);

  void cut();
  void copy();
  void paste();
  void undo();
  void redo();
  bool IsUndoAvailable() const { return !undo_.empty(); }
  bool IsRedoAvailable() const { return !redo_.empty(); }

  // The width that lines wrap at, and the font they are measured in.
  qreal LineWidth() const { return wrapper_->Width(); }
  const QFont& TextFont() const { return wrapper_->Font(); }
  // The starts of the lines that a paragraph shows, from its start.
  std::vector<qsizetype> LineStarts(qsizetype paragraph);
  // The text position at the top left of the view.
  qsizetype FirstVisiblePosition() const;
  QRect CaretRect();
  // The rectangle of the character at position, empty when it is not shown.
  QRect CharacterRect(qsizetype position);
  // The text position nearest to point, in the box's coordinates.
  qsizetype PositionAt(QPoint point);
  // Scrolls as little as needed to show position.
  void EnsureVisible(qsizetype position);

  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 signals:
  void textChanged();
  void selectionChanged();
  void cursorPositionChanged();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  // One line as shown: a paragraph, the line's number in it, and its start
  // and end as offsets in the paragraph.
  struct Line {
    qsizetype paragraph = 0;
    qsizetype index = 0;
    qsizetype start = 0;
    qsizetype end = 0;
  };
  struct ParagraphLines {
    std::vector<qsizetype> starts{0};
    bool complete = false;
    // The starts an edit may not have moved, moved by its length: once a
    // start found anew meets one of them past the edit, the rest hold.
    std::vector<qsizetype> before;
    bool beforeComplete = false;
    qsizetype beforeFrom = 0;  // where meeting starts to count
  };
  struct Edit {
    qsizetype position;
    QString removed;
    QString inserted;
    qsizetype caretBefore;
    qsizetype anchorBefore;
  };
  struct CachedLayout;
  enum class Move { kKeepAnchor, kMoveAnchor };

  // Lines.
  ParagraphLines& LinesOf(qsizetype paragraph, qsizetype until);
  Line LineOf(qsizetype position);
  Line LineInParagraph(qsizetype paragraph, qsizetype offset);
  Line LineAtIndex(qsizetype paragraph, qsizetype index);
  bool NextLine(Line& line);
  bool PreviousLine(Line& line);
  bool IsLastOfParagraph(const Line& line) const;
  qsizetype AbsoluteStart(const Line& line) const;
  Line TopLine();
  int VisibleLineCount() const;
  QRect TextArea() const;
  QTextLayout& LayoutOf(const Line& line);
  qreal XOf(const Line& line, qsizetype position);
  qsizetype PositionInLine(const Line& line, qreal x);
  void ResetLayout();
  void ForgetLayouts();
  void UpdateWidth();
  void SyncWidth();

  // Editing.
  void Replace(qsizetype start, qsizetype end, const QString& text, bool typing);
  void Apply(const Edit& edit, bool reverse);
  void ForgetLinesAfterEdit(qsizetype position, qsizetype removed, qsizetype inserted,
                            qsizetype removedBreaks, qsizetype addedBreaks);
  void MoveCaret(qsizetype position, Move move);
  void CaretMoved();
  void InsertTyped(const QString& text);
  void DeleteSelection();
  void OfferSelectionToX11();
  bool HandleMovementKey(QKeyEvent& event);
  bool HandleEditingKey(QKeyEvent& event);
  void ScrollLines(int count);
  void SelectWordAt(qsizetype position);

  // Boundaries.
  qsizetype NextCharacter(qsizetype position) const;
  qsizetype PreviousCharacter(qsizetype position) const;
  qsizetype NextWord(qsizetype position) const;
  qsizetype PreviousWord(qsizetype position) const;
  qsizetype VerticalTarget(int lines);

  void RestartBlinking();
  void AnnounceTextChange(qsizetype position, const QString& removed, const QString& inserted);

  TextStore store_;
  std::unique_ptr<LineWrapper> wrapper_;
  std::unordered_map<qsizetype, ParagraphLines> lines_;
  std::vector<std::unique_ptr<CachedLayout>> layouts_;

  qsizetype topParagraph_ = 0;
  qsizetype topStart_ = 0;  // offset in the paragraph of the top line's start
  int lineHeight_ = 1;
  qreal ascent_ = 0;

  qsizetype caret_ = 0;
  qsizetype anchor_ = 0;
  qreal goalX_ = -1;  // the column that Up and Down keep, or -1
  QString preedit_;
  int preeditCursor_ = 0;

  std::vector<Edit> undo_;
  std::vector<Edit> redo_;
  bool typingMerges_ = false;

  QBasicTimer blink_;
  // While the program is idle, the last paragraph's lines are found ahead,
  // a slice at a time, so Ctrl+End in a long text finds them ready.
  QBasicTimer wrapAhead_;
  bool caretShown_ = false;
  bool selectingWithMouse_ = false;
};

}  // namespace ui
