// The box's editing: keys, mouse, clipboard, undo, input methods and the
// context menu.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTextBoundaryFinder>
#include <QWheelEvent>
#include <algorithm>
#include <array>

#include "ui/text_box.h"

namespace ui {
namespace {

// How far around a position the boundary finders look: far more than any
// character or word a user types.
constexpr qsizetype kCharacterWindow = 64;
constexpr qsizetype kWordWindow = 1024;
// Old and new lines must meet this far past an edit, beyond the reach of
// the break rules' context, before the old ones are taken as they are.
constexpr qsizetype kMeetingDistance = 64;
// Past this many paragraphs with remembered lines, the short ones go.
constexpr std::size_t kParagraphsKept = 4096;

bool IsRedo(const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
  return key.matches(QKeySequence::Redo) ||
         (key.key() == Qt::Key_Y && modifiers == Qt::ControlModifier) ||
         (key.key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier));
}

bool IsTypedText(const QKeyEvent& key) {
  const QString text = key.text();
  if (text.isEmpty()) return false;
  if (key.modifiers() & Qt::ControlModifier && !(key.modifiers() & Qt::AltModifier)) return false;
  return std::all_of(text.begin(), text.end(),
                     [](QChar c) { return c.isPrint() || c.isSurrogate(); });
}

int ToAccessibleOffset(qsizetype position) {
  return static_cast<int>(std::min<qsizetype>(position, std::numeric_limits<int>::max()));
}

}  // namespace

// ---- text ---------------------------------------------------------------------

void TextBox::setPlainText(QString text) {
  const QString before = QAccessible::isActive() ? store_.Text() : QString();
  store_.SetText(std::move(text));
  lines_.clear();
  ForgetLayouts();
  undo_.clear();
  redo_.clear();
  typingMerges_ = false;
  preedit_.clear();
  caret_ = anchor_ = 0;
  topParagraph_ = 0;
  topStart_ = 0;
  goalX_ = -1;
  AnnounceTextChange(0, before, store_.Text());
  wrapAhead_.start(0, this);
  update();
  emit textChanged();
  emit cursorPositionChanged();
  emit selectionChanged();
  updateMicroFocus();
}

QString TextBox::TextRange(qsizetype start, qsizetype end) const {
  start = std::clamp<qsizetype>(start, 0, store_.Size());
  end = std::clamp<qsizetype>(end, start, store_.Size());
  return store_.Text().mid(start, end - start);
}

QString TextBox::SelectedText() const {
  return TextRange(std::min(caret_, anchor_), std::max(caret_, anchor_));
}

void TextBox::SetSelection(qsizetype anchor, qsizetype caret) {
  anchor_ = std::clamp<qsizetype>(anchor, 0, store_.Size());
  caret_ = std::clamp<qsizetype>(caret, 0, store_.Size());
  typingMerges_ = false;
  goalX_ = -1;
  CaretMoved();
}

void TextBox::selectAll() {
  SetSelection(0, store_.Size());
  OfferSelectionToX11();
}

void TextBox::ReplaceRange(qsizetype start, qsizetype end, const QString& text) {
  Replace(start, end, text, false);
}

void TextBox::Replace(qsizetype start, qsizetype end, const QString& text, bool typing) {
  start = std::clamp<qsizetype>(start, 0, store_.Size());
  end = std::clamp<qsizetype>(end, start, store_.Size());
  if (start == end && text.isEmpty()) return;
  Edit edit{start, store_.Text().mid(start, end - start), TextStore::NormaliseLineBreaks(text),
            caret_, anchor_};
  // Characters typed one after another undo as one step, as in Qt's boxes.
  const bool merges = typing && typingMerges_ && !undo_.empty() && edit.removed.isEmpty() &&
                      undo_.back().position + undo_.back().inserted.size() == start;
  Apply(edit, false);
  if (merges) {
    undo_.back().inserted += edit.inserted;
  } else {
    undo_.push_back(std::move(edit));
  }
  redo_.clear();
  typingMerges_ = typing;
}

void TextBox::Apply(const Edit& edit, bool reverse) {
  const QString& out = reverse ? edit.inserted : edit.removed;
  const QString& in = reverse ? edit.removed : edit.inserted;
  const qsizetype oldTopParagraph = topParagraph_;
  store_.Remove(edit.position, out.size());
  store_.Insert(edit.position, in);
  const qsizetype removedBreaks = out.count(u'\n');
  const qsizetype addedBreaks = in.count(u'\n');
  ForgetLinesAfterEdit(edit.position, out.size(), in.size(), removedBreaks, addedBreaks);
  ForgetLayouts();
  // The top line stays where it was, or on the line its text moved to.
  const qsizetype edited = store_.ParagraphAt(edit.position);
  if (oldTopParagraph > edited + removedBreaks) {
    topParagraph_ = oldTopParagraph + addedBreaks - removedBreaks;
  } else if (oldTopParagraph > edited) {
    topParagraph_ = edited;
    topStart_ = edit.position - store_.ParagraphStart(edited);
  }
  const qsizetype size = store_.Paragraph(topParagraph_).size();
  topStart_ = LineInParagraph(topParagraph_, std::min(topStart_, size)).start;

  AnnounceTextChange(edit.position, out, in);
  wrapAhead_.start(0, this);
  if (reverse) {
    anchor_ = std::clamp<qsizetype>(edit.anchorBefore, 0, store_.Size());
    caret_ = std::clamp<qsizetype>(edit.caretBefore, 0, store_.Size());
  } else {
    caret_ = anchor_ = edit.position + in.size();
  }
  emit textChanged();
  goalX_ = -1;
  CaretMoved();
}

void TextBox::ForgetLinesAfterEdit(qsizetype position, qsizetype removed, qsizetype inserted,
                                   qsizetype removedBreaks, qsizetype addedBreaks) {
  const qsizetype paragraph = store_.ParagraphAt(position);
  const qsizetype offset = position - store_.ParagraphStart(paragraph);
  const qsizetype shift = addedBreaks - removedBreaks;
  const bool prune = lines_.size() > kParagraphsKept;
  std::unordered_map<qsizetype, ParagraphLines> kept;
  for (auto& [index, lines] : lines_) {
    if (prune && lines.starts.size() < 64 && index != paragraph) continue;
    if (index < paragraph) {
      kept.emplace(index, std::move(lines));
    } else if (index == paragraph) {
      // Lines before the edited one keep their starts, less one: in word
      // wrap a shortened word may move up to the line before.
      std::vector<qsizetype>& starts = lines.starts;
      const auto edited = std::lower_bound(starts.begin(), starts.end(), offset);
      const qsizetype keep = std::max<qsizetype>(1, (edited - starts.begin()) - 1);
      lines.before.clear();
      if (shift == 0 && removedBreaks == 0) {
        // The old starts past the edit, where the same text now stands.
        const qsizetype delta = inserted - removed;
        const auto past = std::upper_bound(edited, starts.end(), offset + removed);
        for (auto it = past; it != starts.end(); ++it) lines.before.push_back(*it + delta);
        lines.beforeComplete = lines.complete;
        lines.beforeFrom = offset + inserted + kMeetingDistance;
      }
      starts.resize(static_cast<std::size_t>(keep));
      lines.complete = false;
      kept.emplace(index, std::move(lines));
    } else if (index > paragraph + removedBreaks) {
      kept.emplace(index + shift, std::move(lines));
    }
  }
  lines_ = std::move(kept);
}

void TextBox::MoveCaret(qsizetype position, Move move) {
  const qsizetype oldCaret = caret_;
  const qsizetype oldAnchor = anchor_;
  caret_ = std::clamp<qsizetype>(position, 0, store_.Size());
  if (move == Move::kMoveAnchor) anchor_ = caret_;
  typingMerges_ = false;
  if (caret_ != oldCaret || anchor_ != oldAnchor) CaretMoved();
}

void TextBox::CaretMoved() {
  EnsureVisible(caret_);
  RestartBlinking();
  update();
  emit cursorPositionChanged();
  emit selectionChanged();
  updateMicroFocus();
  if (QAccessible::isActive()) {
    QAccessibleTextCursorEvent moved(this, ToAccessibleOffset(caret_));
    QAccessible::updateAccessibility(&moved);
  }
}

void TextBox::AnnounceTextChange(qsizetype position, const QString& removed,
                                 const QString& inserted) {
  if (!QAccessible::isActive()) return;
  QAccessibleTextUpdateEvent changed(this, ToAccessibleOffset(position), removed, inserted);
  QAccessible::updateAccessibility(&changed);
}

void TextBox::InsertTyped(const QString& text) {
  Replace(std::min(caret_, anchor_), std::max(caret_, anchor_), text, true);
}

void TextBox::DeleteSelection() {
  Replace(std::min(caret_, anchor_), std::max(caret_, anchor_), QString(), false);
}

// ---- clipboard and undo ----------------------------------------------------------

void TextBox::copy() {
  if (hasSelection()) QGuiApplication::clipboard()->setText(SelectedText());
}

void TextBox::cut() {
  if (!hasSelection()) return;
  copy();
  DeleteSelection();
}

void TextBox::paste() {
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) return;
  InsertTyped(text);
  typingMerges_ = false;  // a paste is a step of its own
}

void TextBox::OfferSelectionToX11() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (hasSelection() && clipboard->supportsSelection()) {
    clipboard->setText(SelectedText(), QClipboard::Selection);
  }
}

void TextBox::undo() {
  if (undo_.empty()) return;
  Edit edit = std::move(undo_.back());
  undo_.pop_back();
  Apply(edit, true);
  redo_.push_back(std::move(edit));
  typingMerges_ = false;
}

void TextBox::redo() {
  if (redo_.empty()) return;
  Edit edit = std::move(redo_.back());
  redo_.pop_back();
  Apply(edit, false);
  undo_.push_back(std::move(edit));
  typingMerges_ = false;
}

// ---- boundaries -------------------------------------------------------------------

qsizetype TextBox::NextCharacter(qsizetype position) const {
  if (position >= store_.Size()) return store_.Size();
  const qsizetype end = store_.ParagraphEnd(store_.ParagraphAt(position));
  if (position >= end) return position + 1;  // over the line break
  const qsizetype windowEnd = std::min(end, position + kCharacterWindow);
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, store_.Text().constData() + position,
                             windowEnd - position);
  const qsizetype next = finder.toNextBoundary();
  return next > 0 ? position + next : windowEnd;
}

qsizetype TextBox::PreviousCharacter(qsizetype position) const {
  if (position <= 0) return 0;
  const qsizetype start = store_.ParagraphStart(store_.ParagraphAt(position));
  if (position <= start) return position - 1;
  const qsizetype windowStart = std::max(start, position - kCharacterWindow);
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, store_.Text().constData() + windowStart,
                             position - windowStart);
  finder.toEnd();
  return windowStart + std::max<qsizetype>(0, finder.toPreviousBoundary());
}

qsizetype TextBox::NextWord(qsizetype position) const {
  if (position >= store_.Size()) return store_.Size();
  const qsizetype end = store_.ParagraphEnd(store_.ParagraphAt(position));
  if (position >= end) return position + 1;
  const qsizetype windowEnd = std::min(end, position + kWordWindow);
  QTextBoundaryFinder finder(QTextBoundaryFinder::Word, store_.Text().constData() + position,
                             windowEnd - position);
  for (qsizetype b = finder.toNextBoundary(); b > 0; b = finder.toNextBoundary()) {
    if (position + b == windowEnd || finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem) {
      return position + b;
    }
  }
  return windowEnd;
}

qsizetype TextBox::PreviousWord(qsizetype position) const {
  if (position <= 0) return 0;
  const qsizetype start = store_.ParagraphStart(store_.ParagraphAt(position));
  if (position <= start) return position - 1;
  const qsizetype windowStart = std::max(start, position - kWordWindow);
  QTextBoundaryFinder finder(QTextBoundaryFinder::Word, store_.Text().constData() + windowStart,
                             position - windowStart);
  finder.toEnd();
  for (qsizetype b = finder.toPreviousBoundary(); b > 0; b = finder.toPreviousBoundary()) {
    if (finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem) return windowStart + b;
  }
  return windowStart;
}

void TextBox::SelectWordAt(qsizetype position) {
  const qsizetype paragraph = store_.ParagraphAt(position);
  const qsizetype start = store_.ParagraphStart(paragraph);
  const qsizetype end = store_.ParagraphEnd(paragraph);
  if (start == end) {
    MoveCaret(position, Move::kMoveAnchor);
    return;
  }
  if (position >= end) position = end - 1;
  const qsizetype windowStart = std::max(start, position - kWordWindow);
  const qsizetype windowEnd = std::min(end, position + kWordWindow);
  QTextBoundaryFinder finder(QTextBoundaryFinder::Word, store_.Text().constData() + windowStart,
                             windowEnd - windowStart);
  finder.setPosition(position - windowStart);
  qsizetype wordStart = position - windowStart;
  if (!finder.isAtBoundary()) wordStart = std::max<qsizetype>(0, finder.toPreviousBoundary());
  finder.setPosition(position - windowStart);
  qsizetype wordEnd = finder.toNextBoundary();
  if (wordEnd < 0) wordEnd = windowEnd - windowStart;
  SetSelection(windowStart + wordStart, windowStart + wordEnd);
}

// The position `lines` lines up or down from the caret, at the column that
// vertical moves keep.
qsizetype TextBox::VerticalTarget(int lines) {
  Line line = LineOf(caret_);
  if (goalX_ < 0) goalX_ = XOf(line, caret_);
  int moved = 0;
  for (; moved < std::abs(lines); ++moved) {
    if (!(lines > 0 ? NextLine(line) : PreviousLine(line))) break;
  }
  if (moved == 0) return lines > 0 ? store_.Size() : 0;
  return PositionInLine(line, goalX_);
}

// ---- keys -------------------------------------------------------------------------

bool TextBox::HandleMovementKey(QKeyEvent& event) {
  enum Kind {
    kChar,
    kCharBack,
    kWord,
    kWordBack,
    kLine,
    kLineBack,
    kPage,
    kPageBack,
    kHome,
    kEnd,
    kStart,
    kFinish
  };
  struct Binding {
    QKeySequence::StandardKey move;
    QKeySequence::StandardKey select;
    Kind kind;
  };
  static constexpr std::array<Binding, 12> kBindings{{
      {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, kChar},
      {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, kCharBack},
      {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, kWord},
      {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, kWordBack},
      {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, kLine},
      {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, kLineBack},
      {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, kPage},
      {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, kPageBack},
      {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, kHome},
      {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, kEnd},
      {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, kStart},
      {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, kFinish},
  }};
  if (event.matches(QKeySequence::SelectAll)) {
    selectAll();
    return true;
  }
  const Binding* found = nullptr;
  bool select = false;
  for (const Binding& binding : kBindings) {
    if (event.matches(binding.move) || event.matches(binding.select)) {
      found = &binding;
      select = event.matches(binding.select);
      break;
    }
  }
  if (found == nullptr) return false;
  const Move move = select ? Move::kKeepAnchor : Move::kMoveAnchor;
  const qreal goal = goalX_;
  qsizetype target = caret_;
  switch (found->kind) {
    case kChar:
      target = !select && hasSelection() ? std::max(caret_, anchor_) : NextCharacter(caret_);
      break;
    case kCharBack:
      target = !select && hasSelection() ? std::min(caret_, anchor_) : PreviousCharacter(caret_);
      break;
    case kWord:
      target = NextWord(caret_);
      break;
    case kWordBack:
      target = PreviousWord(caret_);
      break;
    case kLine:
    case kLineBack:
      target = VerticalTarget(found->kind == kLine ? 1 : -1);
      break;
    case kPage:
    case kPageBack: {
      // The caret moves a page and the view with it, so the caret keeps its
      // row on the screen.
      const bool down = found->kind == kPage;
      const int rows = VisibleLineCount();
      const Line caretLine = LineOf(caret_);
      Line top = TopLine();
      int row = 0;
      for (Line line = top; row < rows; ++row) {
        if (line.paragraph == caretLine.paragraph && line.start == caretLine.start) break;
        if (!NextLine(line)) row = rows - 1;
      }
      if (row >= rows) row = 0;
      target = VerticalTarget(down ? rows : -rows);
      Line newTop = LineOf(target);
      for (int i = 0; i < row && PreviousLine(newTop); ++i) {
      }
      topParagraph_ = newTop.paragraph;
      topStart_ = newTop.start;
      break;
    }
    case kHome:
    case kEnd: {
      const Line line = LineOf(caret_);
      const qsizetype start = store_.ParagraphStart(line.paragraph);
      if (found->kind == kHome) {
        target = start + line.start;
      } else {
        target = start + line.end;
        if (!IsLastOfParagraph(line) && line.end > line.start) target = PreviousCharacter(target);
      }
      break;
    }
    case kStart:
      target = 0;
      break;
    case kFinish:
      target = store_.Size();
      break;
  }
  const bool vertical = found->kind >= kLine && found->kind <= kPageBack;
  MoveCaret(target, move);
  goalX_ = vertical ? (goal >= 0 ? goal : goalX_) : -1;
  update();
  if (select) OfferSelectionToX11();
  return true;
}

bool TextBox::HandleEditingKey(QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  if (event.matches(QKeySequence::Undo)) {
    undo();
  } else if (IsRedo(event)) {
    redo();
  } else if (event.matches(QKeySequence::Copy)) {
    copy();
  } else if (event.matches(QKeySequence::Cut)) {
    cut();
  } else if (event.matches(QKeySequence::Paste)) {
    paste();
  } else if (event.matches(QKeySequence::DeleteStartOfWord)) {
    if (hasSelection()) {
      DeleteSelection();
    } else {
      Replace(PreviousWord(caret_), caret_, QString(), false);
    }
  } else if (event.matches(QKeySequence::DeleteEndOfWord)) {
    if (hasSelection()) {
      DeleteSelection();
    } else {
      Replace(caret_, NextWord(caret_), QString(), false);
    }
  } else if (event.key() == Qt::Key_Backspace && !(modifiers & Qt::ControlModifier)) {
    if (hasSelection()) {
      DeleteSelection();
    } else if (caret_ > 0) {
      // One code point back, so a wrong combining mark can be taken off
      // alone, as in Qt's boxes.
      qsizetype from = caret_ - 1;
      if (from > 0 && store_.Text()[from].isLowSurrogate() &&
          store_.Text()[from - 1].isHighSurrogate()) {
        --from;
      }
      Replace(from, caret_, QString(), false);
    }
  } else if (event.matches(QKeySequence::Delete)) {
    if (hasSelection()) {
      DeleteSelection();
    } else {
      Replace(caret_, NextCharacter(caret_), QString(), false);
    }
  } else if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier)) return false;
    InsertTyped(QStringLiteral("\n"));
    typingMerges_ = false;
  } else {
    return false;
  }
  return true;
}

void TextBox::keyPressEvent(QKeyEvent* event) {
  if (HandleMovementKey(*event) || HandleEditingKey(*event)) {
    event->accept();
    return;
  }
  if (IsTypedText(*event)) {
    InsertTyped(event->text());
    event->accept();
    return;
  }
  QFrame::keyPressEvent(event);
}

bool TextBox::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    // The box's own keys win over shortcuts of the window or the program.
    auto* key = static_cast<QKeyEvent*>(event);
    static constexpr std::array<QKeySequence::StandardKey, 9> kOwn{
        QKeySequence::Copy,           QKeySequence::Cut,
        QKeySequence::Paste,          QKeySequence::Undo,
        QKeySequence::Redo,           QKeySequence::SelectAll,
        QKeySequence::Delete,         QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfWord};
    const bool own = std::any_of(kOwn.begin(), kOwn.end(),
                                 [key](QKeySequence::StandardKey k) { return key->matches(k); });
    if (own || IsRedo(*key) || IsTypedText(*key)) {
      event->accept();
      return true;
    }
  }
  return QFrame::event(event);
}

// ---- mouse ------------------------------------------------------------------------

void TextBox::mousePressEvent(QMouseEvent* event) {
  const qsizetype position = PositionAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton) {
    selectingWithMouse_ = true;
    MoveCaret(position,
              event->modifiers() & Qt::ShiftModifier ? Move::kKeepAnchor : Move::kMoveAnchor);
    goalX_ = -1;
    event->accept();
  } else if (event->button() == Qt::MiddleButton) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection()) {
      const QString text = clipboard->text(QClipboard::Selection);
      MoveCaret(position, Move::kMoveAnchor);
      if (!text.isEmpty()) {
        InsertTyped(text);
        typingMerges_ = false;
      }
    }
    event->accept();
  } else {
    QFrame::mousePressEvent(event);
  }
}

void TextBox::mouseMoveEvent(QMouseEvent* event) {
  if (!selectingWithMouse_ || !(event->buttons() & Qt::LeftButton)) {
    QFrame::mouseMoveEvent(event);
    return;
  }
  QPoint at = event->position().toPoint();
  const QRect area = TextArea();
  if (at.y() < area.top()) ScrollLines(-1);
  if (at.y() > area.bottom()) ScrollLines(1);
  at.setY(std::clamp(at.y(), area.top(), area.top() + (VisibleLineCount() - 1) * lineHeight_));
  MoveCaret(PositionAt(at), Move::kKeepAnchor);
}

void TextBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && selectingWithMouse_) {
    selectingWithMouse_ = false;
    OfferSelectionToX11();
    event->accept();
    return;
  }
  QFrame::mouseReleaseEvent(event);
}

void TextBox::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QFrame::mouseDoubleClickEvent(event);
    return;
  }
  SelectWordAt(PositionAt(event->position().toPoint()));
  OfferSelectionToX11();
  event->accept();
}

void TextBox::wheelEvent(QWheelEvent* event) {
  const int lines = -event->angleDelta().y() * QApplication::wheelScrollLines() / 120;
  if (lines != 0) ScrollLines(lines);
  event->accept();
}

// ---- context menu -----------------------------------------------------------------

void TextBox::contextMenuEvent(QContextMenuEvent* event) {
  // Qt's own wording in the context of Qt's text boxes, so the translation
  // that is loaded shows it in Chinese.
  auto label = [](const char* text, QKeySequence::StandardKey key) {
    QString shown = QCoreApplication::translate("QWidgetTextControl", text);
    if (!QCoreApplication::testAttribute(Qt::AA_DontShowShortcutsInContextMenus)) {
      const QString keys = QKeySequence(key).toString(QKeySequence::NativeText);
      if (!keys.isEmpty()) shown += u'\t' + keys;
    }
    return shown;
  };
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("qt_edit_menu"));
  QAction* action = menu.addAction(label("&Undo", QKeySequence::Undo), this, &TextBox::undo);
  action->setEnabled(IsUndoAvailable());
  action = menu.addAction(label("&Redo", QKeySequence::Redo), this, &TextBox::redo);
  action->setEnabled(IsRedoAvailable());
  menu.addSeparator();
  action = menu.addAction(label("Cu&t", QKeySequence::Cut), this, &TextBox::cut);
  action->setEnabled(hasSelection());
  action = menu.addAction(label("&Copy", QKeySequence::Copy), this, &TextBox::copy);
  action->setEnabled(hasSelection());
  action = menu.addAction(label("&Paste", QKeySequence::Paste), this, &TextBox::paste);
  action->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
  action = menu.addAction(QCoreApplication::translate("QWidgetTextControl", "Delete"), this,
                          &TextBox::DeleteSelection);
  action->setEnabled(hasSelection());
  menu.addSeparator();
  action = menu.addAction(label("Select All", QKeySequence::SelectAll), this, &TextBox::selectAll);
  action->setEnabled(store_.Size() > 0);
  menu.exec(event->globalPos());
}

// ---- input methods ----------------------------------------------------------------

void TextBox::inputMethodEvent(QInputMethodEvent* event) {
  const QString commit = event->commitString();
  if (!commit.isEmpty() || event->replacementLength() > 0) {
    qsizetype start = std::min(caret_, anchor_);
    qsizetype end = std::max(caret_, anchor_);
    if (!hasSelection() && event->replacementLength() > 0) {
      start = std::clamp<qsizetype>(caret_ + event->replacementStart(), 0, store_.Size());
      end = std::clamp<qsizetype>(start + event->replacementLength(), start, store_.Size());
    }
    Replace(start, end, commit, true);
  }
  const QString preedit = event->preeditString();
  if (preedit != preedit_) ForgetLayouts();
  preedit_ = preedit;
  preeditCursor_ = static_cast<int>(preedit_.size());
  for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
    if (attribute.type == QInputMethodEvent::Cursor) {
      preeditCursor_ = std::clamp(attribute.start, 0, static_cast<int>(preedit_.size()));
    } else if (attribute.type == QInputMethodEvent::Selection && preedit_.isEmpty()) {
      SetSelection(attribute.start, attribute.start + attribute.length);
    }
  }
  RestartBlinking();
  update();
  updateMicroFocus();
  event->accept();
}

QVariant TextBox::inputMethodQuery(Qt::InputMethodQuery query) const {
  // The surrounding text is the caret's paragraph, or a stretch of it
  // around the caret when the paragraph is long.
  constexpr qsizetype kAround = 1024;
  const qsizetype paragraph = store_.ParagraphAt(caret_);
  const qsizetype paragraphStart = store_.ParagraphStart(paragraph);
  const qsizetype from = std::max(paragraphStart, caret_ - kAround);
  const qsizetype to = std::min(store_.ParagraphEnd(paragraph), caret_ + kAround);
  const auto relative = [from, to](qsizetype position) {
    return static_cast<int>(std::clamp(position, from, to) - from);
  };
  switch (query) {
    case Qt::ImEnabled:
      return true;
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle:
      return const_cast<TextBox*>(this)->CaretRect();
    case Qt::ImFont:
      return TextFont();
    case Qt::ImCursorPosition:
      return relative(caret_);
    case Qt::ImAnchorPosition:
      return relative(anchor_);
    case Qt::ImSurroundingText:
      return TextRange(from, to);
    case Qt::ImCurrentSelection:
      return SelectedText();
    case Qt::ImAbsolutePosition:
      return static_cast<qlonglong>(caret_);
    case Qt::ImTextBeforeCursor:
      return TextRange(from, caret_);
    case Qt::ImTextAfterCursor:
      return TextRange(caret_, to);
    case Qt::ImMaximumTextLength:
      return QVariant();
    case Qt::ImHints:
      return static_cast<int>(inputMethodHints() | Qt::ImhMultiLine);
    case Qt::ImReadOnly:
      return false;
    default:
      return QFrame::inputMethodQuery(query);
  }
}

}  // namespace ui
