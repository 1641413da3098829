// Box text and the cipher's GB18030 bytes, both ways.
#include "ui/code_page_bridge.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "textcodec/tool_text.h"
#include "ui/utf8_string.h"

using cipher::Text;

namespace {

// GB18030 bytes of a UTF-8 literal, for readable expectations.
Text Gb(const char* utf8) {
  return ui::BoxTextToBytes(QString::fromUtf8(utf8));
}

QString FromUtf16(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

}  // namespace

class CodePageBridgeTest : public QObject {
  Q_OBJECT

 private slots:
  void boxTextToBytes_data() {
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ascii") << QStringLiteral("key 1") << QByteArray("key 1");
    QTest::newRow("code page 936 characters")
        << QStringLiteral("你好，世界！") << QByteArray::fromHex("c4e3bac3a3accac0bde7a3a1");
    QTest::newRow("emoji needs four bytes")
        << QStringLiteral("😀") << QByteArray::fromHex("9439fc36");
    QTest::newRow("LF") << QStringLiteral("a\nb") << QByteArray("a\r\nb");
    QTest::newRow("CR LF stays one break") << QStringLiteral("a\r\nb") << QByteArray("a\r\nb");
    QTest::newRow("lone CR") << QStringLiteral("a\rb") << QByteArray("a\r\nb");
    QTest::newRow("paragraph and line separators")
        << FromUtf16(u"a\u2029b\u2028c") << QByteArray("a\r\nb\r\nc");
    QTest::newRow("trailing break") << QStringLiteral("a\n\n") << QByteArray("a\r\n\r\n");
    QTest::newRow("no-break space is kept")
        << FromUtf16(u"a\u00a0b") << QByteArray::fromHex("618130843262");
    QTest::newRow("NUL never reaches a Text")
        << FromUtf16(std::u16string_view(u"a\0b", 3)) << QByteArray("ab");
    QTest::newRow("unpaired high surrogate at the end")
        << FromUtf16(std::u16string_view(u"ab\xD800", 3)) << QByteArray::fromHex("61628431a437");
    QTest::newRow("unpaired low surrogate inside")
        << FromUtf16(std::u16string_view(u"a\xDC00z", 3)) << QByteArray::fromHex("618431a4377a");
  }
  void boxTextToBytes() {
    QFETCH(QString, boxText);
    QFETCH(QByteArray, bytes);
    QCOMPARE(QByteArray::fromStdString(ui::BoxTextToBytes(boxText)), bytes);
  }

  void bytesToBoxText_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("boxText");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("Chinese") << QByteArray::fromHex("c4e3bac3") << QStringLiteral("你好");
    QTest::newRow("emoji") << QByteArray::fromHex("9439fc36") << QStringLiteral("😀");
    QTest::newRow("CR LF is a line break") << QByteArray("a\r\nb\r\n") << QStringLiteral("a\nb\n");
    QTest::newRow("invalid byte") << QByteArray::fromHex("ff41") << FromUtf16(u"\uFFFDA");
    QTest::newRow("lead byte left alone at the end")
        << QByteArray::fromHex("41c4") << FromUtf16(u"A\uFFFD");
    QTest::newRow("unfinished four-byte sequence at the end")
        << QByteArray::fromHex("418130") << FromUtf16(u"A\uFFFD0");
  }
  void bytesToBoxText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, boxText);
    QCOMPARE(ui::BytesToBoxText(bytes.toStdString()), boxText);
  }

  // What a wrong key gives: every byte value, in every order, shows as some
  // text and never crashes.
  void anyBytesShowAsText() {
    Text all;
    for (int i = 1; i < 256; ++i) all += static_cast<char>(i);
    for (int i = 255; i > 0; i -= 3) all += static_cast<char>(i);
    const QString shown = ui::BytesToBoxText(all);
    QVERIFY(shown.contains(QChar::ReplacementCharacter));
    QVERIFY(shown.startsWith(QStringLiteral("\x01\x02")));
  }

  void multiLineBoxReadsAndWritesCrLf() {
    QPlainTextEdit box;
    ui::WriteBoxText(box, Gb("第一行\r\n第二行\r\n"));
    QCOMPARE(box.document()->blockCount(), 3);
    const Text read = ui::ReadBoxText(box);
    QCOMPARE(ui::BytesToBoxText(read), QStringLiteral("第一行\n第二行\n"));
    QVERIFY(read.find("\r\n") != Text::npos);
    QCOMPARE(read.find('\n', read.find("\r\n") + 2), read.size() - 1);

    // A no-break space stays one; the box's plain text would make it a space.
    box.setPlainText(QString::fromUtf16(u"a\u00a0b"));
    QCOMPARE(QByteArray::fromStdString(ui::ReadBoxText(box)), QByteArray::fromHex("618130843262"));

    ui::WriteBoxText(box, {});
    QCOMPARE(ui::ReadBoxText(box), Text());
  }

  // Wrapping shows a long text on many lines but reads back unchanged.
  void wrappingAddsNothing() {
    QPlainTextEdit box;
    box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box.setWordWrapMode(QTextOption::WrapAnywhere);
    box.resize(200, 100);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const Text longLine(5000, 'Q');
    ui::WriteBoxText(box, longLine);
    box.repaint();
    QVERIFY(box.document()->firstBlock().layout()->lineCount() > 1);
    QCOMPARE(ui::ReadBoxText(box), longLine);
  }

  void keyBoxReadsItsText() {
    QLineEdit box;
    box.setText(QStringLiteral("密钥 key"));
    QCOMPARE(QByteArray::fromStdString(ui::ReadBoxText(box)),
             QByteArray::fromHex("c3dcd4bf206b6579"));
  }

  // ASCII text (every ciphertext) takes a shorter way; it must give what the
  // way through UTF-8 and the code page gives, line breaks and NULs included,
  // also when a character past ASCII comes late.
  void asciiTakesTheShortWayToTheSameResult() {
    QRandomGenerator random(5);
    const char pieces[] = {'a', 'Z', '=', '\r', '\n', '\0', ' '};
    for (int round = 0; round < 300; ++round) {
      std::string ascii;
      for (int n = random.bounded(40); n > 0; --n) ascii += pieces[random.bounded(7)];
      const bool late = round % 3 == 0;
      const QString text = ui::FromUtf8(late ? ascii + "中\r" : ascii);
      QCOMPARE(ui::BoxTextToBytes(text), *textcodec::Utf8ToToolBytes(text.toUtf8().toStdString()));
      const std::string bytes = late ? ascii + "\xC4\xE3\x80\r" : ascii;
      QCOMPARE(ui::BytesToBoxText(bytes), ui::FromUtf8(textcodec::ToolBytesToUtf8(bytes)));
    }
  }
};

QTEST_MAIN(CodePageBridgeTest)
#include "code_page_bridge_test.moc"
