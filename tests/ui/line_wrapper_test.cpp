// The box's lines against QTextLayout's for the same paragraph, font, width
// and wrap mode, over random texts of every kind the boxes see.
#include "ui/line_wrapper.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTest>
#include <QTextLayout>
#include <functional>
#include <vector>

#include "ui/text_box.h"

namespace {

using Generator = std::function<QString(QRandomGenerator&, int)>;

QString Pick(QRandomGenerator& random, const QString& from) {
  return from[random.bounded(static_cast<int>(from.size()))];
}

QString Word(QRandomGenerator& random, int length) {
  static const QString letters =
      QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
  QString word;
  for (int i = 0; i < length; ++i) word += Pick(random, letters);
  return word;
}

QString Ascii(QRandomGenerator& random, int size) {
  static const QString punctuation = QStringLiteral(".,;:!?-()'\"/0123456789");
  QString text;
  while (text.size() < size) {
    text += Word(random, 1 + random.bounded(12));
    if (random.bounded(5) == 0) text += Pick(random, punctuation);
    text += random.bounded(8) == 0 ? QStringLiteral("   ") : QStringLiteral(" ");
  }
  return text;
}

QString Chinese(QRandomGenerator& random, int size) {
  static const QString punctuation = QStringLiteral("，。！？、：；“”（）《》—");
  QString text;
  while (text.size() < size) {
    text += random.bounded(6) == 0 ? Pick(random, punctuation)
                                   : QString(QChar(0x4e00 + random.bounded(0x51a5)));
  }
  return text;
}

QString Mixed(QRandomGenerator& random, int size) {
  QString text;
  while (text.size() < size) {
    text += random.bounded(2) ? Chinese(random, 1 + random.bounded(20))
                              : Ascii(random, 1 + random.bounded(30));
  }
  return text;
}

QString CombiningMarks(QRandomGenerator& random, int size) {
  QString text;
  while (text.size() < size) {
    text += Word(random, 1 + random.bounded(8));
    for (int marks = random.bounded(3); marks > 0; --marks) {
      text += QChar(0x0300 + random.bounded(0x30));
    }
    text += u' ';
  }
  return text;
}

QString Emoji(QRandomGenerator& random, int size) {
  QString text;
  while (text.size() < size) {
    const char32_t emoji = 0x1f600 + random.bounded(0x40);
    text += QString::fromUcs4(&emoji, 1);
    if (random.bounded(4) == 0) text += QChar(0x200d);  // joiner
    if (random.bounded(3) == 0) text += Mixed(random, random.bounded(10));
  }
  return text;
}

QString LongWords(QRandomGenerator& random, int size) {
  QString text;
  while (text.size() < size) {
    text += Word(random, 1 + random.bounded(random.bounded(3) == 0 ? 600 : 10));
    text += u' ';
  }
  return text;
}

QString Base64(QRandomGenerator& random, int size) {
  static const QString alphabet =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
  QString text;
  while (text.size() < size) text += Pick(random, alphabet);
  return text;
}

std::vector<qsizetype> QtLineStarts(const QString& paragraph, const QFont& font, qreal width,
                                    QTextOption::WrapMode mode) {
  QTextLayout layout(paragraph, font);
  QTextOption option;
  option.setWrapMode(mode);
  layout.setTextOption(option);
  std::vector<qsizetype> starts;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    starts.push_back(line.textStart());
  }
  layout.endLayout();
  if (starts.empty()) starts.push_back(0);
  return starts;
}

QFont BoxFont() {
  QFont font = QApplication::font();
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

// The starts around the first place where two lists differ.
QString Describe(const std::vector<qsizetype>& starts, const std::vector<qsizetype>& other) {
  std::size_t first = 0;
  while (first < starts.size() && first < other.size() && starts[first] == other[first]) ++first;
  QStringList parts{QStringLiteral("line %1 of %2:").arg(first).arg(starts.size())};
  for (std::size_t i = first > 2 ? first - 2 : 0; i < std::min(starts.size(), first + 3); ++i) {
    parts << QString::number(starts[i]);
  }
  return parts.join(u' ');
}

}  // namespace

class LineWrapperTest : public QObject {
  Q_OBJECT

 private slots:
  void matchesQtLayout_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("mode");
    const char* kinds[] = {"ascii", "chinese",    "mixed", "combining marks",
                           "emoji", "long words", "base64"};
    for (int kind = 0; kind < 7; ++kind) {
      for (int mode :
           {int(QTextOption::WrapAtWordBoundaryOrAnywhere), int(QTextOption::WrapAnywhere)}) {
        QTest::addRow("%s, %s", kinds[kind],
                      mode == QTextOption::WrapAnywhere ? "anywhere" : "words")
            << kind << mode;
      }
    }
  }
  void matchesQtLayout() {
    QFETCH(int, kind);
    QFETCH(int, mode);
    const Generator generators[] = {Ascii, Chinese,   Mixed, CombiningMarks,
                                    Emoji, LongWords, Base64};
    const auto wrap = static_cast<QTextOption::WrapMode>(mode);
    QRandomGenerator random(1234 + kind * 17 + mode);
    const QFont font = BoxFont();
    ui::LineWrapper wrapper(font, wrap);
    for (int round = 0; round < 60; ++round) {
      // Mostly short paragraphs, some long enough to cross the wrapper's
      // windows, none past the length where Qt cuts a paragraph into items
      // and breaks lines at the cut.
      const int size = round % 4 == 3 ? 3000 + random.bounded(1000) : 1 + random.bounded(1500);
      const QString paragraph = generators[kind](random, size);
      const int width = 8 + random.bounded(900);
      wrapper.SetWidth(width);
      std::vector<qsizetype> ours{0};
      // Asked for in steps, as the box asks while it paints.
      while (!wrapper.Extend(paragraph, ours, ours.back() + random.bounded(400))) {
      }
      const std::vector<qsizetype> qt = QtLineStarts(paragraph, font, width, wrap);
      if (ours != qt) {
        std::size_t at = 0;
        while (at < ours.size() && at < qt.size() && ours[at] == qt[at]) ++at;
        const qsizetype from = ours[at > 0 ? at - 1 : 0];
        qWarning("width %d, %lld characters, from %lld: [%s]", width,
                 static_cast<long long>(paragraph.size()), static_cast<long long>(from),
                 qPrintable(paragraph.mid(from, 120)));
        QCOMPARE(Describe(ours, qt), Describe(qt, ours));
      }
    }
  }

  // The box shows the lines the wrapper finds, at its own width and font.
  void boxShowsTheSameLines() {
    QRandomGenerator random(99);
    for (const auto wrap : {QTextOption::WrapAtWordBoundaryOrAnywhere, QTextOption::WrapAnywhere}) {
      ui::TextBox box(wrap);
      box.resize(300 + random.bounded(400), 200);
      const QString first = Mixed(random, 3000);
      const QString second = LongWords(random, 3000);
      box.setPlainText(first + u'\n' + second);
      const std::vector<qsizetype> shownFirst = box.LineStarts(0);
      const std::vector<qsizetype> shownSecond = box.LineStarts(1);
      QCOMPARE(shownFirst, QtLineStarts(first, box.TextFont(), box.LineWidth(), wrap));
      QCOMPARE(shownSecond, QtLineStarts(second, box.TextFont(), box.LineWidth(), wrap));
      QCOMPARE(box.TextFont().styleStrategy() & QFont::PreferNoShaping, QFont::PreferNoShaping);
    }
  }
};

QTEST_MAIN(LineWrapperTest)
#include "line_wrapper_test.moc"
