// The five buttons, through the window, with the boxes they show.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "cipher/text_cipher.h"
#include "ui/text_box.h"
#include "ui/usage_text.h"
#include "window_fixture.h"

using ui::FromUtf8;
using ui_test::BoxRecorder;
using ui_test::Click;
using ui_test::ShowWindow;

class WindowHandlersTest : public QObject {
  Q_OBJECT

 private slots:
  void knownAnswers_data() {
    QTest::addColumn<QString>("plaintext");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("ciphertext");
    QTest::newRow("two characters") << "你好"
                                    << "密钥"
                                    << "+AUR+g==";
    QTest::newRow("two lines") << "你好，世界！\n第二行"
                               << "密钥 key"
                               << "6CkuXlpVj55RINKFhtHe5907hKE=";
  }
  void knownAnswers() {
    QFETCH(QString, plaintext);
    QFETCH(QString, key);
    QFETCH(QString, ciphertext);
    const auto window = ShowWindow();
    window->编辑框1->setPlainText(plaintext);
    window->编辑框3->setText(key);
    Click(*window->按钮1);
    QCOMPARE(window->编辑框2->toPlainText(), ciphertext);
    QCOMPARE(window->编辑框1->toPlainText(), plaintext);  // kept
    QCOMPARE(window->编辑框3->text(), key);

    window->编辑框1->setPlainText(QStringLiteral("将被替换"));
    Click(*window->按钮2);
    QCOMPARE(window->编辑框1->toPlainText(), plaintext);
    QCOMPARE(window->编辑框2->toPlainText(), ciphertext);
  }

  void roundTrips_data() {
    QTest::addColumn<QString>("plaintext");
    QTest::newRow("Chinese") << "加密/解密密钥不能为空";
    QTest::newRow("emoji outside code page 936") << "锁🔒 and 😀";
    QTest::newRow("line breaks, also a trailing one") << "第一行\n\n第三行\n";
    QTest::newRow("byte count not a multiple of 3") << "ab";
  }
  void roundTrips() {
    QFETCH(QString, plaintext);
    const auto window = ShowWindow();
    window->编辑框1->setPlainText(plaintext);
    window->编辑框3->setText(QStringLiteral(" "));  // one space is a key
    Click(*window->按钮1);
    const QString ciphertext = window->编辑框2->toPlainText();
    QVERIFY(!ciphertext.isEmpty());
    QVERIFY(!ciphertext.contains(u'\n'));
    Click(*window->按钮3);
    QCOMPARE(window->编辑框1->toPlainText(), QString());
    Click(*window->按钮2);
    QCOMPARE(window->编辑框1->toPlainText(), plaintext);
  }

  void emptyPlaintextEmptiesCiphertextBox() {
    const auto window = ShowWindow();
    window->编辑框2->setPlainText(QStringLiteral("旧的密文"));
    window->编辑框3->setText(QStringLiteral("密钥"));
    Click(*window->按钮1);
    QCOMPARE(window->编辑框2->toPlainText(), QString());
  }

  void wrongKeyShowsSomethingAndNothingBreaks() {
    const auto window = ShowWindow();
    window->编辑框2->setPlainText(QStringLiteral("6CkuXlpVj55RINKFhtHe5907hKE="));
    window->编辑框3->setText(QStringLiteral("不对的钥匙"));
    Click(*window->按钮2);
    QVERIFY(window->编辑框1->toPlainText() != QStringLiteral("你好，世界！\n第二行"));
  }

  void keyMissingFromBothButtons() {
    for (QString button : {"按钮1", "按钮2"}) {
      const auto window = ShowWindow();
      window->编辑框1->setPlainText(QStringLiteral("明文"));
      window->编辑框2->setPlainText(QStringLiteral("+AUR+g=="));
      BoxRecorder recorder;
      Click(*window->findChild<QPushButton*>(button));
      QCOMPARE(recorder.boxes.size(), std::size_t{1});
      const ui_test::ShownBox& box = recorder.boxes.front();
      QCOMPARE(box.title, FromUtf8(cipher::KeyMissingTitle));
      QCOMPARE(box.title, QStringLiteral("加密/解密密钥不能为空！"));
      QCOMPARE(box.text, QStringLiteral("没有输入密钥，不能进行加密/解密操作！"));
      QCOMPARE(box.icon, QMessageBox::Critical);
      QCOMPARE(box.buttons, QStringList{QStringLiteral("确定")});
      QVERIFY(!box.hasOwner);
      QCOMPARE(box.modality, Qt::ApplicationModal);
      QCOMPARE(window->编辑框1->toPlainText(), QStringLiteral("明文"));
      QCOMPARE(window->编辑框2->toPlainText(), QStringLiteral("+AUR+g=="));
      QCOMPARE(window->编辑框3->text(), QString());
    }
  }

  void clearButtonsEmptyOneBoxEach() {
    const auto window = ShowWindow();
    window->编辑框1->setPlainText(QStringLiteral("文本"));
    window->编辑框2->setPlainText(QStringLiteral("密文"));
    window->编辑框3->setText(QStringLiteral("钥"));
    Click(*window->按钮3);
    QCOMPARE(window->编辑框1->toPlainText(), QString());
    QCOMPARE(window->编辑框2->toPlainText(), QStringLiteral("密文"));
    Click(*window->按钮3);  // on an empty box: nothing changes
    QCOMPARE(window->编辑框1->toPlainText(), QString());
    Click(*window->按钮4);
    QCOMPARE(window->编辑框2->toPlainText(), QString());
    QCOMPARE(window->编辑框3->text(), QStringLiteral("钥"));
  }

  // While the help box is up, clicks and keys do not reach the window.
  void helpBoxBlocksTheWindow() {
    const auto window = ShowWindow();
    window->编辑框1->setPlainText(QStringLiteral("文本"));
    window->编辑框3->setText(QStringLiteral("钥"));
    bool blocked = false;
    BoxRecorder recorder([&](QMessageBox& box) {
      QCOMPARE(QApplication::activeModalWidget(), &box);
      Click(*window->按钮3);
      Click(*window->按钮1);
      ui_test::PressKey(*window, Qt::Key_Escape);
      ui_test::Type(*window, "x");
      blocked = window->编辑框1->toPlainText() == QStringLiteral("文本") &&
                window->编辑框2->toPlainText().isEmpty() && !window->IsGone();
    });
    Click(*window->按钮5);
    QVERIFY(blocked);
    QCOMPARE(recorder.boxes.size(), std::size_t{1});
    const ui_test::ShownBox& box = recorder.boxes.front();
    QCOMPARE(box.title, QStringLiteral("使用方法"));
    QString usage = FromUtf8(ui::UsageText);
    usage.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QCOMPARE(box.text, usage);
    QVERIFY(box.text.endsWith(QStringLiteral("\n\n-------------------By-Tarnevok")));
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.buttons, QStringList{QStringLiteral("确定")});
    QVERIFY(!box.hasOwner);
    QCOMPARE(box.modality, Qt::ApplicationModal);
    // After the box the window takes input again.
    Click(*window->按钮3);
    QCOMPARE(window->编辑框1->toPlainText(), QString());
  }

  void buffersHoldTheLastOperation() {
    const auto window = ShowWindow();
    window->编辑框1->setPlainText(QStringLiteral("ABC"));
    window->编辑框3->setText(QStringLiteral("k"));
    Click(*window->按钮1);
    QCOMPARE(cipher::lastCipherBytes.size(), std::size_t{3});
    window->编辑框2->setPlainText(QStringLiteral("QUJD"));
    Click(*window->按钮2);
    QCOMPARE(cipher::lastDecodedBytes, (cipher::ByteBuffer{0x41, 0x42, 0x43}));
  }
};

QTEST_MAIN(WindowHandlersTest)
#include "window_handlers_test.moc"
