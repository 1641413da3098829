// Input handled by the pump while a long ciphertext is being decoded: the
// events are queued first, then Decrypt is clicked, and they run inside it.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <variant>

#include "cipher/text_cipher.h"
#include "ui/code_page_bridge.h"
#include "ui/event_pump.h"
#include "ui/text_box.h"
#include "window_fixture.h"

using ui_test::BoxRecorder;
using ui_test::Click;
using ui_test::Later;
using ui_test::PostClick;
using ui_test::ShowWindow;

namespace {

const QString kKey = QStringLiteral("长钥匙");

QString Encrypt(const QString& plaintext, const QString& key) {
  const auto outcome = cipher::EncryptText(ui::BoxTextToBytes(plaintext), ui::BoxTextToBytes(key));
  return ui::BytesToBoxText(std::get<cipher::Text>(outcome));
}

// Long enough that the decoder calls the pump tens of thousands of times.
const QString& LongPlaintext() {
  static const QString text = QStringLiteral("长文本，").repeated(16 * 1024);
  return text;
}
const QString& LongCiphertext() {
  static const QString text = Encrypt(LongPlaintext(), kKey);
  return text;
}

}  // namespace

class ReentrancyTest : public QObject {
  Q_OBJECT

  std::unique_ptr<ui::MainWindow> window;
  QStringList plaintextWrites;

 private slots:
  void initTestCase() { ui::SetPumpLookInterval(std::chrono::microseconds(0)); }

  void init() {
    window = ShowWindow();
    window->编辑框2->setPlainText(LongCiphertext());
    window->编辑框3->setText(kKey);
    plaintextWrites.clear();
    connect(window->编辑框1, &ui::TextBox::textChanged, this,
            [this] { plaintextWrites << window->编辑框1->toPlainText(); });
  }
  void cleanup() { window.reset(); }

  // The nested click decodes what the box holds then, and shows its result;
  // the first click's result is written last.
  void secondDecrypt() {
    Later([this] { window->编辑框2->setPlainText(Encrypt(QStringLiteral("第二次"), kKey)); });
    PostClick(*window->按钮2);
    Click(*window->按钮2);
    QCOMPARE(plaintextWrites.size(), 2);
    QCOMPARE(plaintextWrites[0], QStringLiteral("第二次"));
    QVERIFY(plaintextWrites[1] == LongPlaintext());
  }

  void encryptRunsInsideAndTheDecodeGoesOn() {
    Later([this] { window->编辑框1->setPlainText(QStringLiteral("你好")); });
    Later([this] { window->编辑框3->setText(QStringLiteral("密钥")); });
    PostClick(*window->按钮1);
    Later([this] { window->编辑框3->setText(kKey); });
    Click(*window->按钮2);
    QCOMPARE(window->编辑框2->toPlainText(), QStringLiteral("+AUR+g=="));
    QVERIFY(window->编辑框1->toPlainText() == LongPlaintext());
  }

  // The decode waits for the box: nothing is written while it is up.
  void helpBoxHoldsTheDecode() {
    bool heldWhileShown = false;
    BoxRecorder recorder([&](QMessageBox&) {
      QTest::qWait(50);
      heldWhileShown = plaintextWrites.isEmpty();
    });
    PostClick(*window->按钮5);
    Click(*window->按钮2);
    QCOMPARE(recorder.boxes.size(), std::size_t{1});
    QCOMPARE(recorder.boxes.front().title, QStringLiteral("使用方法"));
    QVERIFY(heldWhileShown);
    QCOMPARE(plaintextWrites.size(), 1);
    QVERIFY(plaintextWrites[0] == LongPlaintext());
  }

  void clearedPlaintextIsOverwritten() {
    window->编辑框1->setPlainText(QStringLiteral("之前"));
    plaintextWrites.clear();
    PostClick(*window->按钮3);
    Click(*window->按钮2);
    QCOMPARE(plaintextWrites.size(), 2);
    QCOMPARE(plaintextWrites[0], QString());
    QVERIFY(plaintextWrites[1] == LongPlaintext());
  }

  // The key is read again once decoding is done; emptied by then, it
  // deciphers with the empty key instead of refusing.
  void keyEmptiedDuringTheDecode() {
    BoxRecorder recorder;
    Later([this] { window->编辑框3->clear(); });
    Click(*window->按钮2);
    QVERIFY(recorder.boxes.empty());
    QCOMPARE(plaintextWrites.size(), 1);
    QVERIFY(plaintextWrites[0] != LongPlaintext());
  }

  // Esc hides the window at once; the decode runs to its end and its
  // handler writes nothing.
  void escapeDuringTheDecode() {
    window->编辑框1->setPlainText(QStringLiteral("之前"));
    plaintextWrites.clear();
    bool goneAtOnce = false;
    Later([&] {
      ui_test::PressKey(*window, Qt::Key_Escape);
      goneAtOnce = window->IsGone() && !window->isVisible();
    });
    Click(*window->按钮2);
    QVERIFY(goneAtOnce);
    QVERIFY(plaintextWrites.isEmpty());
    QCOMPARE(window->编辑框1->toPlainText(), QStringLiteral("之前"));
    // The decode did finish: its bytes are the program's last decode.
    QCOMPARE(cipher::lastDecodedBytes.size(),
             static_cast<std::size_t>(ui::BoxTextToBytes(LongPlaintext()).size()));
  }
};

QTEST_MAIN(ReentrancyTest)
#include "reentrancy_test.moc"
