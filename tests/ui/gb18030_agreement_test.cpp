// The shared iconv converter against Qt's GB18030 converter (ICU), with whose
// mapping the window's ciphertexts were made: every Unicode scalar value
// encodes to the same bytes, and every class of 1-, 2- and 4-byte sequence
// (valid, invalid, cut off by the end) decodes to the same text. The first
// twenty differences are printed; LIST_ALL=1 prints every one.
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>
#include <string>
#include <vector>

#include "textcodec/gb18030.h"
#include "ui/utf8_string.h"

namespace {

using ui::FromUtf8;

QByteArray Hex(const std::string& bytes) {
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toHex(' ');
}

QString CodePoints(const QString& text) {
  QStringList points;
  for (const char32_t c : text.toStdU32String()) {
    points << QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0'));
  }
  return points.join(u' ');
}

// The window read a box's bytes with a final LF added and taken off again,
// so that a sequence cut off by the end shows as U+FFFD.
QString QtDecode(QStringDecoder& decoder, const std::string& bytes) {
  QByteArray input(bytes.data(), static_cast<qsizetype>(bytes.size()));
  input += '\n';
  decoder.resetState();
  QString text = decoder.decode(input);
  text.chop(1);
  return text;
}

std::vector<std::uint8_t> Range(int first, int last, std::vector<std::uint8_t> extra = {}) {
  for (int b = first; b <= last; ++b) extra.push_back(static_cast<std::uint8_t>(b));
  return extra;
}

// Bytes that stand for each kind a position can hold: ASCII, a digit, the
// edges of the lead and trail ranges, and the bytes no range holds.
const std::vector<std::uint8_t> kSampleBytes = {0x00, 0x0A, 0x2F, 0x30, 0x39, 0x3A,
                                                0x40, 0x41, 0x7E, 0x7F, 0x80, 0x81,
                                                0x82, 0xA0, 0xA1, 0xFE, 0xFF};

}  // namespace

class Gb18030AgreementTest : public QObject {
  Q_OBJECT

  QStringDecoder qtDecoder_{"GB18030"};
  QStringList differences_;

  void Note(const QString& difference) {
    if (qEnvironmentVariableIsSet("LIST_ALL") || differences_.size() < 20) {
      qWarning().noquote() << difference;
    }
    differences_ << difference;
  }

  // Decodes many sequences at once, each followed by an LF (which no broken
  // sequence takes with it); only a batch that differs is looked at closely.
  void CompareDecodingInBatches(const std::vector<std::string>& sequences) {
    constexpr std::size_t kBatch = 4096;
    for (std::size_t first = 0; first < sequences.size(); first += kBatch) {
      const std::size_t last = std::min(sequences.size(), first + kBatch);
      std::string batch;
      for (std::size_t i = first; i < last; ++i) (batch += sequences[i]) += '\n';
      if (QtDecode(qtDecoder_, batch) == FromUtf8(textcodec::Gb18030ToUtf8(batch))) continue;
      for (std::size_t i = first; i < last; ++i) CompareDecodingAtTheEnd(sequences[i]);
    }
  }

  void CompareDecodingAtTheEnd(const std::string& bytes) {
    const QString qt = QtDecode(qtDecoder_, bytes);
    const QString ours = FromUtf8(textcodec::Gb18030ToUtf8(bytes));
    if (qt != ours) {
      Note(QStringLiteral("decode %1: Qt %2, ours %3")
               .arg(QString::fromLatin1(Hex(bytes)), CodePoints(qt), CodePoints(ours)));
    }
  }

 private slots:
  void init() { differences_.clear(); }

  void everyScalarValueEncodesAlike() {
    QStringEncoder qtEncoder("GB18030");
    constexpr char32_t kBlock = 0x1000;
    for (char32_t first = 0; first <= 0x10FFFF; first += kBlock) {
      std::u32string block;
      for (char32_t c = first; c < first + kBlock; ++c) {
        if (c < 0xD800 || c > 0xDFFF) block += c;
      }
      const QString text = QString::fromUcs4(block.data(), static_cast<qsizetype>(block.size()));
      const QByteArray utf8 = text.toUtf8();
      const auto ours = textcodec::Utf8ToGb18030(utf8.toStdString());
      QVERIFY(ours);
      qtEncoder.resetState();
      if (QByteArray(qtEncoder.encode(text)).toStdString() == *ours) continue;
      for (const char32_t c : block) {
        const QString one = QString::fromUcs4(&c, 1);
        qtEncoder.resetState();
        const std::string qt = QByteArray(qtEncoder.encode(one)).toStdString();
        const std::string mine = *textcodec::Utf8ToGb18030(one.toUtf8().toStdString());
        if (qt != mine) {
          Note(QStringLiteral("encode U+%1: Qt %2, ours %3")
                   .arg(static_cast<uint>(c), 4, 16, QLatin1Char('0'))
                   .arg(QString::fromLatin1(Hex(qt)), QString::fromLatin1(Hex(mine))));
        }
      }
    }
    QVERIFY2(differences_.isEmpty(),
             qPrintable(QString::number(differences_.size()) + " differences"));
  }

  void everyOneAndTwoByteSequenceDecodesAlike() {
    std::vector<std::string> sequences;
    for (int a = 0; a < 256; ++a) {
      sequences.push_back(std::string(1, static_cast<char>(a)));
      for (int b = 0; b < 256; ++b)
        sequences.push_back({static_cast<char>(a), static_cast<char>(b)});
    }
    CompareDecodingInBatches(sequences);
    for (const std::string& bytes : sequences) CompareDecodingAtTheEnd(bytes);
    QVERIFY2(differences_.isEmpty(),
             qPrintable(QString::number(differences_.size()) + " differences"));
  }

  // Long ASCII runs skip the converter: every one- and two-byte sequence
  // before such a run, of letters or of digits (which a broken four-byte
  // sequence may seem to begin), still decodes as Qt decodes it.
  void sequencesBeforeLongAsciiRunsDecodeAlike() {
    std::vector<std::string> sequences;
    for (const char filler : {'a', '0'}) {
      const std::string run(64, filler);
      for (int a = 0; a < 256; ++a) {
        sequences.push_back(std::string(1, static_cast<char>(a)) + run);
        for (int b = 0; b < 256; ++b)
          sequences.push_back(std::string{static_cast<char>(a), static_cast<char>(b)} + run);
      }
    }
    CompareDecodingInBatches(sequences);
    QVERIFY2(differences_.isEmpty(),
             qPrintable(QString::number(differences_.size()) + " differences"));
  }

  void everyFourByteSequenceDecodesAlike() {
    const auto leads = Range(0x81, 0xFE);
    const auto digits = Range(0x30, 0x39);
    std::vector<std::string> sequences;
    auto add = [&](const auto& firsts, const auto& seconds, const auto& thirds,
                   const auto& fourths) {
      for (const std::uint8_t a : firsts)
        for (const std::uint8_t b : seconds)
          for (const std::uint8_t c : thirds)
            for (const std::uint8_t d : fourths)
              sequences.push_back({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c),
                                   static_cast<char>(d)});
    };
    add(leads, digits, leads, digits);  // every well-formed one, mapped or not
    // Broken ones: each position off its range in every way, beside a lead
    // from each region of the four-byte space.
    const std::vector<std::uint8_t> someLeads = {0x80, 0x81, 0x82, 0x84, 0x85, 0x8F,
                                                 0x90, 0xE3, 0xE4, 0xFD, 0xFE, 0xFF};
    add(someLeads, kSampleBytes, kSampleBytes, kSampleBytes);
    CompareDecodingInBatches(sequences);
    // Cut off by the end after three bytes.
    for (const std::uint8_t a : leads)
      for (const std::uint8_t b : digits)
        for (const std::uint8_t c : kSampleBytes)
          CompareDecodingAtTheEnd(
              {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)});
    QVERIFY2(differences_.isEmpty(),
             qPrintable(QString::number(differences_.size()) + " differences"));
  }
};

QTEST_APPLESS_MAIN(Gb18030AgreementTest)
#include "gb18030_agreement_test.moc"
