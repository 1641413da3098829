// The box's lines, view and painting.
#include "ui/text_box.h"

#include <QAccessible>
#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleHints>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "ui/text_box_accessible.h"

namespace ui {
namespace {

// Room between the edge and the text, as Qt's own text boxes leave it.
constexpr int kMargin = 4;
// Enough layouts for every line of a tall box, and a little more.
constexpr std::size_t kLayoutsKept = 96;
// How many lines after an edit may differ before the old ones are given up.
constexpr int kLinesToMeet = 48;
// Characters wrapped ahead per idle moment: about a millisecond's work.
constexpr qsizetype kWrapAheadSlice = 32768;

QFont UnshapedFont(QFont font) {
  font.setStyleStrategy(
      static_cast<QFont::StyleStrategy>(font.styleStrategy() | QFont::PreferNoShaping));
  return font;
}

}  // namespace

struct TextBox::CachedLayout {
  qsizetype start;
  qsizetype length;
  QTextLayout layout;
};

TextBox::TextBox(QTextOption::WrapMode wrap, QWidget* parent)
    : QFrame(parent), wrapper_(std::make_unique<LineWrapper>(UnshapedFont(font()), wrap)) {
  InstallTextBoxAccessibility();
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  setAttribute(Qt::WA_KeyCompression, false);
  setCursor(Qt::IBeamCursor);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  ResetLayout();
}

TextBox::~TextBox() = default;

// ---- lines ----------------------------------------------------------------

TextBox::ParagraphLines& TextBox::LinesOf(qsizetype paragraph, qsizetype until) {
  ParagraphLines& lines = lines_[paragraph];
  if (lines.complete || lines.starts.back() > until) return lines;
  const QStringView text = store_.Paragraph(paragraph);
  // After an edit, a few lines are found one by one to see whether they
  // meet the old ones again; most edits move a line or two at most.
  for (int tries = 0; !lines.before.empty() && tries < kLinesToMeet; ++tries) {
    std::vector<qsizetype>& starts = lines.starts;
    std::vector<qsizetype>& before = lines.before;
    const std::size_t known = starts.size();
    const bool complete = wrapper_->Extend(text, starts, starts.back());
    for (std::size_t i = known; i < starts.size(); ++i) {
      const auto ahead = std::lower_bound(before.begin(), before.end(), starts[i]);
      if (ahead != before.end() && *ahead == starts[i] && starts[i] >= lines.beforeFrom) {
        starts.resize(i + 1);
        starts.insert(starts.end(), ahead + 1, before.end());
        lines.complete = lines.beforeComplete;
        before.clear();
        return LinesOf(paragraph, until);
      }
    }
    if (complete) {
      lines.complete = true;
      break;
    }
    before.erase(before.begin(), std::lower_bound(before.begin(), before.end(), starts.back()));
    if (starts.back() > until) return lines;
  }
  lines.before.clear();
  if (!lines.complete && lines.starts.back() <= until) {
    lines.complete = wrapper_->Extend(text, lines.starts, until);
  }
  return lines;
}

TextBox::Line TextBox::LineInParagraph(qsizetype paragraph, qsizetype offset) {
  ParagraphLines& lines = LinesOf(paragraph, offset);
  const auto after = std::upper_bound(lines.starts.begin(), lines.starts.end(), offset);
  return LineAtIndex(paragraph, (after - lines.starts.begin()) - 1);
}

TextBox::Line TextBox::LineAtIndex(qsizetype paragraph, qsizetype index) {
  ParagraphLines* lines = &lines_[paragraph];
  // One line more than asked for gives the asked line's end.
  while (!lines->complete && static_cast<qsizetype>(lines->starts.size()) <= index + 1) {
    lines = &LinesOf(paragraph, lines->starts.back());
  }
  const auto count = static_cast<qsizetype>(lines->starts.size());
  index = std::clamp<qsizetype>(index, 0, count - 1);
  Line line;
  line.paragraph = paragraph;
  line.index = index;
  line.start = lines->starts[static_cast<std::size_t>(index)];
  line.end = index + 1 < count ? lines->starts[static_cast<std::size_t>(index + 1)]
                               : store_.Paragraph(paragraph).size();
  return line;
}

TextBox::Line TextBox::LineOf(qsizetype position) {
  SyncWidth();
  const qsizetype paragraph = store_.ParagraphAt(position);
  return LineInParagraph(paragraph, position - store_.ParagraphStart(paragraph));
}

bool TextBox::IsLastOfParagraph(const Line& line) const {
  return line.end >= store_.Paragraph(line.paragraph).size();
}

bool TextBox::NextLine(Line& line) {
  if (!IsLastOfParagraph(line)) {
    line = LineAtIndex(line.paragraph, line.index + 1);
    return true;
  }
  if (line.paragraph + 1 >= store_.ParagraphCount()) return false;
  line = LineAtIndex(line.paragraph + 1, 0);
  return true;
}

bool TextBox::PreviousLine(Line& line) {
  if (line.index > 0) {
    line = LineAtIndex(line.paragraph, line.index - 1);
    return true;
  }
  if (line.paragraph == 0) return false;
  const qsizetype paragraph = line.paragraph - 1;
  const ParagraphLines& lines = LinesOf(paragraph, store_.Paragraph(paragraph).size());
  line = LineAtIndex(paragraph, static_cast<qsizetype>(lines.starts.size()) - 1);
  return true;
}

qsizetype TextBox::AbsoluteStart(const Line& line) const {
  return store_.ParagraphStart(line.paragraph) + line.start;
}

TextBox::Line TextBox::TopLine() {
  SyncWidth();
  return LineInParagraph(topParagraph_, topStart_);
}

// A hidden box hears of its new size only when it is shown; its lines follow
// the size it has now.
void TextBox::SyncWidth() {
  const qreal before = wrapper_->Width();
  UpdateWidth();
  if (wrapper_->Width() != before) {
    lines_.clear();
    ForgetLayouts();
    wrapAhead_.start(0, this);
  }
}

QRect TextBox::TextArea() const {
  return contentsRect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
}

int TextBox::VisibleLineCount() const {
  return std::max(1, TextArea().height() / lineHeight_);
}

std::vector<qsizetype> TextBox::LineStarts(qsizetype paragraph) {
  SyncWidth();
  const ParagraphLines& lines = LinesOf(paragraph, store_.Paragraph(paragraph).size());
  return lines.starts;
}

qsizetype TextBox::FirstVisiblePosition() const {
  return store_.ParagraphStart(topParagraph_) + topStart_;
}

void TextBox::UpdateWidth() {
  // One pixel stays free for the caret after the last character.
  wrapper_->SetWidth(std::max(1, TextArea().width() - 1));
}

void TextBox::ResetLayout() {
  wrapper_ = std::make_unique<LineWrapper>(UnshapedFont(font()), wrapper_->Mode());
  UpdateWidth();
  // One height for every line, tall enough for the CJK fallback font.
  QTextLayout sample(QStringLiteral("Ag\u4e2d\u6587"), wrapper_->Font());
  sample.beginLayout();
  QTextLine line = sample.createLine();
  line.setLineWidth(1e6);
  sample.endLayout();
  lineHeight_ = std::max(1, static_cast<int>(std::ceil(line.height())));
  ascent_ = line.ascent();
  lines_.clear();
  ForgetLayouts();
  const qsizetype size = store_.Paragraph(topParagraph_).size();
  topStart_ = LineInParagraph(topParagraph_, std::min(topStart_, size)).start;
  update();
}

void TextBox::ForgetLayouts() {
  layouts_.clear();
}

QTextLayout& TextBox::LayoutOf(const Line& line) {
  const qsizetype start = AbsoluteStart(line);
  const qsizetype length = line.end - line.start;
  const bool withPreedit = !preedit_.isEmpty() && LineOf(caret_).paragraph == line.paragraph &&
                           LineOf(caret_).start == line.start;
  for (auto& cached : layouts_) {
    if (cached->start == start && cached->length == length && !withPreedit &&
        cached->layout.preeditAreaText().isEmpty()) {
      return cached->layout;
    }
  }
  if (layouts_.size() >= kLayoutsKept) layouts_.erase(layouts_.begin());
  std::unique_ptr<CachedLayout> cached(
      new CachedLayout{start, length, QTextLayout(store_.Text().mid(start, length), TextFont())});
  QTextLayout& layout = cached->layout;
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  if (withPreedit) {
    layout.setPreeditArea(static_cast<int>(caret_ - start), preedit_);
    QTextLayout::FormatRange underline;
    underline.start = static_cast<int>(caret_ - start);
    underline.length = static_cast<int>(preedit_.size());
    underline.format.setFontUnderline(true);
    layout.setFormats({underline});
  }
  layout.beginLayout();
  QTextLine textLine = layout.createLine();
  textLine.setLineWidth(1e6);
  layout.endLayout();
  layouts_.push_back(std::move(cached));
  return layout;
}

qreal TextBox::XOf(const Line& line, qsizetype position) {
  const qsizetype offset = position - AbsoluteStart(line);
  QTextLayout& layout = LayoutOf(line);
  int cursor = static_cast<int>(offset);
  if (!layout.preeditAreaText().isEmpty()) cursor += preeditCursor_;
  return layout.lineAt(0).cursorToX(cursor);
}

qsizetype TextBox::PositionInLine(const Line& line, qreal x) {
  QTextLayout& layout = LayoutOf(line);
  qsizetype offset = layout.lineAt(0).xToCursor(x, QTextLine::CursorBetweenCharacters);
  if (!layout.preeditAreaText().isEmpty()) {
    const qsizetype at = caret_ - AbsoluteStart(line);
    if (offset > at) offset = std::max(at, offset - layout.preeditAreaText().size());
  }
  offset = std::clamp<qsizetype>(offset, 0, line.end - line.start);
  qsizetype position = AbsoluteStart(line) + offset;
  // The end of a wrapped line is the start of the next one: stay on this one.
  if (offset == line.end - line.start && !IsLastOfParagraph(line) && line.end > line.start) {
    position = PreviousCharacter(position);
  }
  return position;
}

QRect TextBox::CaretRect() {
  const Line caretLine = LineOf(caret_);
  Line line = TopLine();
  const QRect area = TextArea();
  for (int row = 0; row <= VisibleLineCount(); ++row) {
    if (line.paragraph == caretLine.paragraph && line.start == caretLine.start) {
      const int x = area.left() + static_cast<int>(std::floor(XOf(line, caret_)));
      return QRect(x, area.top() + row * lineHeight_, 1, lineHeight_);
    }
    if (!NextLine(line)) break;
  }
  return QRect();
}

QRect TextBox::CharacterRect(qsizetype position) {
  if (position < 0 || position >= store_.Size()) return QRect();
  const Line target = LineOf(position);
  Line line = TopLine();
  const QRect area = TextArea();
  for (int row = 0; row <= VisibleLineCount(); ++row) {
    if (line.paragraph == target.paragraph && line.start == target.start) {
      const qreal left = XOf(line, position);
      const qreal right = position + 1 <= AbsoluteStart(line) + (line.end - line.start)
                              ? XOf(line, position + 1)
                              : left;
      return QRect(area.left() + static_cast<int>(left), area.top() + row * lineHeight_,
                   std::max(1, static_cast<int>(right - left)), lineHeight_);
    }
    if (!NextLine(line)) break;
  }
  return QRect();
}

qsizetype TextBox::PositionAt(QPoint point) {
  const QRect area = TextArea();
  Line line = TopLine();
  const int rows = point.y() < area.top() ? 0 : (point.y() - area.top()) / lineHeight_;
  for (int row = 0; row < rows && NextLine(line);) ++row;
  return PositionInLine(line, point.x() - area.left());
}

void TextBox::EnsureVisible(qsizetype position) {
  const Line target = LineOf(position);
  const Line top = TopLine();
  auto before = [](const Line& a, const Line& b) {
    return a.paragraph != b.paragraph ? a.paragraph < b.paragraph : a.start < b.start;
  };
  if (before(target, top)) {
    topParagraph_ = target.paragraph;
    topStart_ = target.start;
    update();
    return;
  }
  const int rows = VisibleLineCount();
  Line line = top;
  for (int row = 0; row < rows; ++row) {
    if (line.paragraph == target.paragraph && line.start == target.start) return;
    if (!NextLine(line) || before(target, line)) break;
  }
  // Below the view: the target becomes the bottom line.
  line = target;
  for (int row = 1; row < rows && PreviousLine(line);) ++row;
  topParagraph_ = line.paragraph;
  topStart_ = line.start;
  update();
}

void TextBox::ScrollLines(int count) {
  Line line = TopLine();
  for (; count > 0 && NextLine(line); --count) {
  }
  for (; count < 0 && PreviousLine(line); ++count) {
  }
  if (line.paragraph != topParagraph_ || line.start != topStart_) {
    topParagraph_ = line.paragraph;
    topStart_ = line.start;
    update();
  }
}

// ---- painting ---------------------------------------------------------------

void TextBox::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  const QRect area = TextArea();
  QPainter painter(this);
  painter.setClipRect(contentsRect().intersected(event->rect()));
  const QPalette& colours = palette();
  painter.setPen(colours.color(QPalette::Text));

  const qsizetype selectionStart = std::min(caret_, anchor_);
  const qsizetype selectionEnd = std::max(caret_, anchor_);
  const Line caretLine = LineOf(caret_);
  const bool drawCaret = caretShown_ && hasFocus();
  Line line = TopLine();
  for (int row = 0;; ++row) {
    const int y = area.top() + row * lineHeight_;
    if (y >= contentsRect().bottom() || y > event->rect().bottom()) break;
    if (y + lineHeight_ > event->rect().top()) {
      QTextLayout& layout = LayoutOf(line);
      const qsizetype start = AbsoluteStart(line);
      const qsizetype end = start + (line.end - line.start);
      QList<QTextLayout::FormatRange> selections;
      if (selectionStart < end && selectionEnd > start) {
        QTextLayout::FormatRange range;
        range.start = static_cast<int>(std::max(selectionStart, start) - start);
        range.length = static_cast<int>(std::min(selectionEnd, end) - start) - range.start;
        range.format.setBackground(colours.brush(QPalette::Highlight));
        range.format.setForeground(colours.brush(QPalette::HighlightedText));
        selections.push_back(range);
      }
      const QTextLine textLine = layout.lineAt(0);
      const QPointF at(area.left(), y + ascent_ - textLine.ascent());
      layout.draw(&painter, at, selections);
      if (drawCaret && line.paragraph == caretLine.paragraph && line.start == caretLine.start) {
        const int x = area.left() + static_cast<int>(std::floor(XOf(line, caret_)));
        painter.fillRect(QRect(x, y, 1, lineHeight_), colours.color(QPalette::Text));
      }
    }
    if (!NextLine(line)) break;
  }
}

void TextBox::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  SyncWidth();
  topStart_ = LineInParagraph(topParagraph_, topStart_).start;
}

void TextBox::changeEvent(QEvent* event) {
  QFrame::changeEvent(event);
  if (event->type() == QEvent::FontChange) ResetLayout();
  if (event->type() == QEvent::PaletteChange) update();
}

void TextBox::focusInEvent(QFocusEvent* event) {
  QFrame::focusInEvent(event);
  RestartBlinking();
  update();
}

void TextBox::focusOutEvent(QFocusEvent* event) {
  QFrame::focusOutEvent(event);
  blink_.stop();
  caretShown_ = false;
  update();
}

void TextBox::RestartBlinking() {
  caretShown_ = true;
  const int flash = QGuiApplication::styleHints()->cursorFlashTime();
  if (hasFocus() && flash >= 2) {
    blink_.start(flash / 2, this);
  } else {
    blink_.stop();
  }
}

void TextBox::timerEvent(QTimerEvent* event) {
  if (event->timerId() == wrapAhead_.timerId()) {
    const qsizetype last = store_.ParagraphCount() - 1;
    ParagraphLines& lines = lines_[last];
    if (!lines.complete) LinesOf(last, lines.starts.back() + kWrapAheadSlice);
    if (lines_[last].complete) wrapAhead_.stop();
    return;
  }
  if (event->timerId() != blink_.timerId()) {
    QFrame::timerEvent(event);
    return;
  }
  caretShown_ = !caretShown_;
  update(CaretRect());  // the caret's own rectangle and nothing else
}

}  // namespace ui
