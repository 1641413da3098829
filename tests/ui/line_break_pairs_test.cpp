// The pair table against Qt's line breaker: every character the table sorts,
// before and after characters of every class, among random neighbours that
// try the breaker's long-range rules (numbers, quotation marks, brackets,
// spaces, signs).
#include "ui/line_break_pairs.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextBoundaryFinder>
#include <vector>

namespace {

std::vector<char16_t> SortedCharacters() {
  std::vector<char16_t> sorted;
  for (char32_t c = 1; c < 0x10000; ++c) {
    if (ui::PairClassOf(static_cast<char16_t>(c)) != ui::PairClass::kOther) {
      sorted.push_back(static_cast<char16_t>(c));
    }
  }
  return sorted;
}

// Neighbours that reach across pairs in the breaker's rules, and some that
// are plain.
const QString kCompany = QStringLiteral(
    " \u3000()[]{}\"'$%+-/\\#&*@^_|~<>=`\u00a3\u00a5\u00b0\u2014\u2013\u2026\u2018\u2019"
    "\u201c\u201d\uff08\u300a\u300c\u3010\u3008\uffe5\uff05\u00e9\u00df\u03b1\u0434"
    "\u3042\u30a2\u3041\u30fc\u00b7-\u2010");

}  // namespace

class LineBreakPairsTest : public QObject {
  Q_OBJECT

 private slots:
  void tableAgreesWithQt() {
    const std::vector<char16_t> sorted = SortedCharacters();
    QVERIFY(sorted.size() > 27000);
    for (quint32 seed : {1u, 2u, 3u}) {
      QRandomGenerator random(seed);
      auto anySorted = [&] { return sorted[random.bounded(static_cast<quint32>(sorted.size()))]; };
      auto company = [&] {
        QString text;
        for (int n = random.bounded(4); n > 0; --n) {
          text += random.bounded(3) == 0 ? QChar(anySorted())
                                         : kCompany[random.bounded(int(kCompany.size()))];
        }
        return text;
      };
      // Each sorted character once before and once after a random sorted one.
      QString text;
      for (char16_t c : sorted) {
        text += company();
        text += QChar(anySorted());
        text += QChar(c);
        text += QChar(anySorted());
      }
      QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
      std::vector<bool> qtBreaks(static_cast<std::size_t>(text.size()) + 1);
      for (qsizetype b = finder.toNextBoundary(); b >= 0; b = finder.toNextBoundary()) {
        qtBreaks[static_cast<std::size_t>(b)] = true;
      }
      int compared = 0;
      for (qsizetype at = 1; at < text.size(); ++at) {
        const ui::PairBreak pair = ui::BreakBetween(ui::PairClassOf(text[at - 1].unicode()),
                                                    ui::PairClassOf(text[at].unicode()));
        if (pair == ui::PairBreak::kAsk) continue;
        ++compared;
        if ((pair == ui::PairBreak::kYes) != qtBreaks[static_cast<std::size_t>(at)]) {
          QFAIL(qPrintable(QStringLiteral("seed %1: \"%2\" | \"%3\", Qt %4")
                               .arg(seed)
                               .arg(text.mid(std::max<qsizetype>(0, at - 8), 8), text.mid(at, 8))
                               .arg(qtBreaks[static_cast<std::size_t>(at)] ? "breaks" : "holds")));
        }
      }
      QVERIFY(compared > static_cast<int>(sorted.size()));
    }
  }
};

QTEST_MAIN(LineBreakPairsTest)
#include "line_break_pairs_test.moc"
