// Where the lines of a paragraph start when it is wrapped at a width, found
// without laying out the paragraph as a whole.
//
// Text made only of characters that need no shaping (Latin, Greek, Cyrillic,
// CJK and the common punctuation, in a font with shaping turned off) is
// wrapped from cached character advances: one table lookup per character.
// The rules are those of QTextLine's greedy breaker: spaces hang at the end
// of a line, a word that does not fit goes to the next line, and in
// word-boundary mode a word wider than the line breaks anywhere. Only the end
// of a line needs the rules: the characters before the point where the line
// could first overflow all join it, so a line is measured by a running sum of
// advances and the breaker's rules start at the last break before that point.
// Where a break may fall is Qt's line-break attribute, computed for a few
// thousand characters at a time; in text of ideographs, ASCII letters and
// digits and the common punctuation between them (most Chinese text, and
// every ciphertext) it follows from the two neighbours alone and is looked up
// in a small table instead. A stretch of
// text that needs shaping (marks, emoji, complex scripts, tabs, format
// characters) is laid out by QTextLayout over a window that starts at a known
// line start, so its lines are exactly Qt's too. Both paths work forward from
// a line start, so a caller can keep the starts it has and extend them on
// demand.
#pragma once

#include <QFont>
#include <QStringView>
#include <QTextOption>
#include <cstdint>
#include <memory>
#include <vector>

namespace ui {

class LineWrapper {
 public:
  LineWrapper(const QFont& font, QTextOption::WrapMode mode);
  ~LineWrapper();
  LineWrapper(const LineWrapper&) = delete;
  LineWrapper& operator=(const LineWrapper&) = delete;

  void SetWidth(qreal width);
  qreal Width() const;
  QTextOption::WrapMode Mode() const { return mode_; }
  const QFont& Font() const { return font_; }

  // starts holds the first line starts of the paragraph (at least {0});
  // appends the following ones until the last is beyond `until` or the
  // paragraph's last line is known. Returns true when it is known.
  bool Extend(QStringView paragraph, std::vector<qsizetype>& starts, qsizetype until);

 private:
  struct CharInfo {
    qint32 advance = 0;
    qint32 negativeRightBearing = 0;
    bool known = false;
    bool bearingKnown = false;
    bool fast = false;
    bool white = false;
    std::uint8_t breakClass = 0;  // see line_break_pairs.h
  };
  enum class Outcome { kLine, kNeedsMoreText };

  // Called for every character wrapped: the table lookup stays inline.
  const CharInfo& Info(char16_t c) {
    const CharInfo& info = info_[c];
    return info.known ? info : Learn(c);
  }
  const CharInfo& Learn(char16_t c);
  qint32 NegativeRightBearing(char16_t c);
  bool IsFast(QStringView text);
  // One line from `from` on the fast path; next is where the next line
  // starts (the paragraph's length after its last line).
  Outcome FastLine(QStringView paragraph, qsizetype from, qsizetype readable,
                   const std::vector<std::uint8_t>& breaks, qsizetype breaksFrom, bool anywhere,
                   qsizetype& next);
  // Fills breaks for [breaksFrom, breaksEnd] from the pair table; false
  // when some place there needs Qt's attributes.
  bool PairBreaks(QStringView paragraph, qsizetype breaksFrom, qsizetype breaksEnd,
                  std::vector<std::uint8_t>& breaks);
  void ExtendFast(QStringView paragraph, std::vector<qsizetype>& starts, qsizetype until,
                  qsizetype chunkEnd);
  void ExtendShaped(QStringView paragraph, std::vector<qsizetype>& starts, qsizetype chunkEnd);

  QFont font_;
  QTextOption::WrapMode mode_;
  qint64 width_ = 0;  // in 1/64 pixel, as Qt measures
  qint32 minimumRightBearing_ = 0;
  std::unique_ptr<CharInfo[]> info_;
};

}  // namespace ui
