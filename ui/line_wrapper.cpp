#include "ui/line_wrapper.h"

#include <QFontMetricsF>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "ui/line_break_pairs.h"

namespace ui {
namespace {

// Text is wrapped in windows of this many characters; the break attributes
// of a window see this much of the text on either side.
constexpr qsizetype kChunk = 2048;
constexpr qsizetype kContext = 32;

qint32 ToFixed(qreal value) {
  return static_cast<qint32>(std::lround(value * 64));
}

bool NeedsNoShaping(QChar c) {
  if (c.isSurrogate() || c == u'\t' || c == QChar::ObjectReplacementCharacter) return false;
  switch (c.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
      return false;
    default:
      break;
  }
  // No-break spaces are spaces that do not hang; Qt's breaker treats them
  // apart, so they take the shaped path with everything else that is rare.
  if (c.decompositionTag() == QChar::NoBreak) return false;
  switch (c.script()) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
      break;
    default:
      return false;
  }
  switch (c.direction()) {
    case QChar::DirL:
    case QChar::DirEN:
    case QChar::DirES:
    case QChar::DirET:
    case QChar::DirCS:
    case QChar::DirWS:
    case QChar::DirON:
      return true;
    default:
      return false;
  }
}

}  // namespace

LineWrapper::LineWrapper(const QFont& font, QTextOption::WrapMode mode)
    : font_(font), mode_(mode), info_(new CharInfo[0x10000]) {
  minimumRightBearing_ = std::min(0, ToFixed(QFontMetricsF(font_).minRightBearing()));
}

LineWrapper::~LineWrapper() = default;

void LineWrapper::SetWidth(qreal width) {
  width_ = ToFixed(std::max<qreal>(width, 0));
}

qreal LineWrapper::Width() const {
  return static_cast<qreal>(width_) / 64;
}

const LineWrapper::CharInfo& LineWrapper::Learn(char16_t c) {
  CharInfo& info = info_[c];
  const QChar ch(c);
  info.fast = NeedsNoShaping(ch);
  info.white = ch.isSpace();
  info.breakClass = static_cast<std::uint8_t>(PairClassOf(c));
  if (info.fast) info.advance = ToFixed(QFontMetricsF(font_).horizontalAdvance(ch));
  info.known = true;
  return info;
}

qint32 LineWrapper::NegativeRightBearing(char16_t c) {
  CharInfo& info = info_[c];
  if (!info.bearingKnown) {
    info.negativeRightBearing = std::max(0, -ToFixed(QFontMetricsF(font_).rightBearing(QChar(c))));
    info.bearingKnown = true;
  }
  return info.negativeRightBearing;
}

bool LineWrapper::IsFast(QStringView text) {
  return std::all_of(text.begin(), text.end(), [this](QChar c) { return Info(c.unicode()).fast; });
}

// QTextLine's breaker, for text without shaping: runs of spaces hang and
// never start a line; a segment (a word, or one character when breaking
// anywhere) joins the line if the line, its pending spaces, the segment and
// the segment's overhang past its advance fit; the first segment of a line
// always joins. In word-boundary mode a line whose first segment is too wide
// (with its overhang) is done again breaking anywhere.
LineWrapper::Outcome LineWrapper::FastLine(QStringView paragraph, qsizetype from,
                                           qsizetype readable,
                                           const std::vector<std::uint8_t>& breaks,
                                           qsizetype breaksFrom, bool anywhere, qsizetype& next) {
  const qsizetype length = paragraph.size();
  const char16_t* text = paragraph.utf16();
  qint64 lineWidth = 0;
  qsizetype lineLength = 0;
  qint64 spaceWidth = 0;
  qsizetype spaceLength = 0;
  bool endsInWord = false;
  qsizetype at = from;
  auto retryAnywhere = [&] {
    return FastLine(paragraph, from, readable, breaks, breaksFrom, true, next);
  };
  // Everything before the point where the line could first overflow, even
  // with the widest overhang, joins it whatever its words: sum the advances
  // up to there, then go on with the rules below from the last place before
  // it where a segment ends.
  {
    const qint64 room = width_ + minimumRightBearing_;
    qsizetype end = from;
    qint64 sum = 0;
    while (end < readable) {
      const qint64 wider = sum + info_[text[end]].advance;
      if (wider > room) break;
      sum = wider;
      ++end;
    }
    auto segmentEndsAt = [&](qsizetype p) {
      if (info_[text[p - 1]].white) return false;
      if (p == length) return true;
      if (p >= readable) return false;  // what follows is not known yet
      return anywhere || info_[text[p]].white || breaks[static_cast<std::size_t>(p - breaksFrom)];
    };
    while (end > from && !segmentEndsAt(end)) {
      --end;
      sum -= info_[text[end]].advance;
    }
    at = end;
    lineWidth = sum;
    lineLength = end - from;
    endsInWord = end > from;
  }
  while (at < length) {
    if (at >= readable) return Outcome::kNeedsMoreText;
    if (Info(text[at]).white) {
      while (at < length && Info(text[at]).white) {
        if (at >= readable) return Outcome::kNeedsMoreText;
        spaceWidth += Info(text[at]).advance;
        ++spaceLength;
        ++at;
      }
      endsInWord = false;
      if (spaceWidth > width_) {  // spaces that fall out of the line end it
        if (!anywhere && lineWidth > width_) return retryAnywhere();
        next = at;
        return Outcome::kLine;
      }
      continue;
    }
    const qsizetype segmentStart = at;
    qint64 segmentWidth = 0;
    bool tooWide = false;
    for (;;) {
      segmentWidth += Info(text[at]).advance;
      ++at;
      if (at >= length) break;
      if (at >= readable) return Outcome::kNeedsMoreText;
      if (Info(text[at]).white || anywhere || breaks[static_cast<std::size_t>(at - breaksFrom)]) {
        break;
      }
      // The rest of the word cannot make it fit: stop measuring it.
      if (lineWidth + spaceWidth + segmentWidth > width_) {
        tooWide = true;
        break;
      }
    }
    endsInWord = true;
    qint64 newWidth = lineWidth + spaceWidth + segmentWidth;
    if (!tooWide && newWidth - minimumRightBearing_ > width_) {
      newWidth += NegativeRightBearing(text[at - 1]);
    }
    if (tooWide || newWidth > width_) {
      if (lineLength > 0) {
        if (!anywhere && lineWidth + NegativeRightBearing(text[segmentStart - 1]) > width_) {
          return retryAnywhere();
        }
        next = segmentStart;
        return Outcome::kLine;
      }
      if (tooWide) return retryAnywhere();  // a word wider than the line
    }
    lineLength += spaceLength + (at - segmentStart);
    lineWidth += spaceWidth + segmentWidth;
    spaceWidth = 0;
    spaceLength = 0;
  }
  const qint64 overhang = endsInWord ? NegativeRightBearing(text[length - 1]) : 0;
  if (!anywhere && lineWidth + overhang > width_) return retryAnywhere();
  next = length;
  return Outcome::kLine;
}

bool LineWrapper::PairBreaks(QStringView paragraph, qsizetype breaksFrom, qsizetype breaksEnd,
                             std::vector<std::uint8_t>& breaks) {
  const char16_t* text = paragraph.utf16();
  breaks.assign(static_cast<std::size_t>(breaksEnd - breaksFrom + 1), 0);
  // Only places between two characters that are not spaces are ever asked.
  for (qsizetype at = breaksFrom + 1; at < breaksEnd; ++at) {
    const CharInfo& before = Info(text[at - 1]);
    const CharInfo& after = Info(text[at]);
    if (before.white || after.white) continue;
    const PairBreak pair = BreakBetween(static_cast<PairClass>(before.breakClass),
                                        static_cast<PairClass>(after.breakClass));
    if (pair == PairBreak::kAsk) return false;
    breaks[static_cast<std::size_t>(at - breaksFrom)] = pair == PairBreak::kYes;
  }
  return true;
}

void LineWrapper::ExtendFast(QStringView paragraph, std::vector<qsizetype>& starts, qsizetype until,
                             qsizetype chunkEnd) {
  const qsizetype length = paragraph.size();
  const qsizetype from = starts.back();
  const bool anywhere = mode_ == QTextOption::WrapAnywhere;
  std::vector<std::uint8_t> breaks;
  qsizetype breaksFrom = from;
  if (!anywhere && !PairBreaks(paragraph, from, chunkEnd, breaks)) {
    breaksFrom = std::max<qsizetype>(0, from - kContext);
    const qsizetype breaksEnd = std::min(length, chunkEnd + kContext);
    breaks.assign(static_cast<std::size_t>(breaksEnd - breaksFrom + 1), 0);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, paragraph.data() + breaksFrom,
                               breaksEnd - breaksFrom);
    for (qsizetype b = finder.toNextBoundary(); b >= 0; b = finder.toNextBoundary()) {
      breaks[static_cast<std::size_t>(b)] = 1;
    }
  }
  const qsizetype readable = chunkEnd == length ? length : chunkEnd;
  while (starts.back() <= until) {
    qsizetype next = 0;
    if (FastLine(paragraph, starts.back(), readable, breaks, breaksFrom, anywhere, next) !=
        Outcome::kLine) {
      return;
    }
    if (next >= length) {
      starts.push_back(length);  // marks the end; Extend drops it
      return;
    }
    starts.push_back(next);
  }
}

void LineWrapper::ExtendShaped(QStringView paragraph, std::vector<qsizetype>& starts,
                               qsizetype chunkEnd) {
  const qsizetype length = paragraph.size();
  const qsizetype from = starts.back();
  const bool reachesEnd = chunkEnd == length;
  QTextLayout layout(paragraph.sliced(from, chunkEnd - from).toString(), font_);
  QTextOption option;
  option.setWrapMode(mode_);
  layout.setTextOption(option);
  std::vector<qsizetype> found;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(Width());
    found.push_back(from + line.textStart());
  }
  layout.endLayout();
  // A line's end is known once the line after it has been laid out whole,
  // away from the cut where break attributes lack their context.
  const std::size_t usable = reachesEnd ? found.size() : found.size() - 1;
  for (std::size_t i = 1; i < usable; ++i) {
    if (!reachesEnd && found[i] > chunkEnd - kContext) break;
    starts.push_back(found[i]);
  }
  if (reachesEnd) starts.push_back(length);
}

bool LineWrapper::Extend(QStringView paragraph, std::vector<qsizetype>& starts, qsizetype until) {
  const qsizetype length = paragraph.size();
  qsizetype chunk = kChunk;
  while (true) {
    const qsizetype from = starts.back();
    if (from >= length) {
      if (starts.size() > 1) starts.pop_back();  // the end marker
      return true;
    }
    if (from > until) return false;
    const qsizetype chunkEnd = std::min(length, from + chunk);
    const std::size_t before = starts.size();
    if (IsFast(paragraph.sliced(from, chunkEnd - from))) {
      ExtendFast(paragraph, starts, until, chunkEnd);
    } else {
      ExtendShaped(paragraph, starts, chunkEnd);
    }
    // A line longer than the window (a long run of spaces, say): widen it.
    chunk = starts.size() == before ? chunk * 2 : kChunk;
  }
}

}  // namespace ui
