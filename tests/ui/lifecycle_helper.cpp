// The whole program in a child process, driven through one scenario named
// on the command line; it reports what it saw on stdout for lifecycle_test
// and lifecycle_memory_test.
#include "lifecycle_helper.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <cstdio>
#include <string>

#include "cipher/text_cipher.h"
#include "ui/app_start.h"
#include "ui/event_pump.h"
#include "ui/exit_handlers.h"
#include "ui/fatal_error.h"
#include "ui/text_box.h"
#include "window_fixture.h"

// The forced failing allocation must come back as null, not as a sanitizer
// report, so the program's own handling is what the test sees.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}

namespace lifecycle {

void Say(const QString& line) {
  std::fputs(line.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void PrintBoxes(std::function<void()> whileShown) {
  ui::SetMessageBoxWatcher([whileShown](QMessageBox& box) {
    Say(QStringLiteral("box title: ") + box.windowTitle());
    Say(QStringLiteral("box icon critical: %1").arg(box.icon() == QMessageBox::Critical));
    Say(QStringLiteral("box text: ") + QString(box.text()).replace(u'\n', QStringLiteral("|")));
    if (whileShown) whileShown();
    box.buttons().front()->click();
  });
}

}  // namespace lifecycle

namespace {

using lifecycle::PrintBoxes;
using lifecycle::Say;
using ui::MainWindow;

QPointer<MainWindow> theWindow;
bool decoding = false;

void Probe() {
  Say(QStringLiteral("exit handler: cipher=%1 decoded=%2 window destroyed=%3")
          .arg(cipher::lastCipherBytes.capacity())
          .arg(cipher::lastDecodedBytes.capacity())
          .arg(theWindow.isNull() ? 1 : 0));
}

void EncryptAndDecrypt(MainWindow& window) {
  window.编辑框1->setPlainText(QStringLiteral("你好"));
  window.编辑框3->setText(QStringLiteral("密钥"));
  window.按钮1->click();
  window.按钮2->click();
}

void Scenario(const std::string& name, MainWindow& window) {
  theWindow = &window;
  ui::RegisterExitHandler(ui::ReleaseLastBuffers);  // already there: changes nothing
  ui::RegisterExitHandler(Probe);
  if (name == "start") {
    ui_test::Later([&window] {
      // Activation reaches the window through the window system, a moment later.
      if (!QTest::qWaitForWindowActive(&window, 5000)) Say(QStringLiteral("never active"));
      const QRect screen = QGuiApplication::primaryScreen()->geometry();
      Say(QStringLiteral("visible=%1 active=%2 normal=%3 focus=%4 centred=%5")
              .arg(window.isVisible())
              .arg(window.isActiveWindow())
              .arg(window.windowState() == Qt::WindowNoState)
              .arg(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                               : QString())
              .arg(window.frameGeometry().topLeft() == MainWindow::CentredFramePosition(screen)));
      window.close();
    });
  } else if (name == "esc") {
    EncryptAndDecrypt(window);
    ui_test::PostKey(window, Qt::Key_Escape);
  } else if (name == "esc-during-decode") {
    ui::SetPumpLookInterval(std::chrono::microseconds(0));
    EncryptAndDecrypt(window);
    window.编辑框1->setPlainText(QStringLiteral("长文本").repeated(100000));
    window.按钮1->click();
    window.编辑框1->setPlainText(QStringLiteral("untouched"));
    QObject::connect(window.编辑框1, &ui::TextBox::textChanged,
                     [] { Say(QStringLiteral("plaintext box written")); });
    ui_test::Later([&window] {
      ui_test::Later([&window] {
        ui_test::PressKey(window, Qt::Key_Escape);
        Say(QStringLiteral("after Esc: decoding=%1 visible=%2")
                .arg(decoding)
                .arg(window.isVisible()));
      });
      decoding = true;
      ui_test::Click(*window.按钮2);
      decoding = false;
      Say(QStringLiteral("decode finished"));
    });
  } else if (name == "arguments") {
    ui_test::Later([&window] {
      Say(QStringLiteral("title=%1 size=%2x%3 style=%4 right-to-left=%5 arguments=%6")
              .arg(window.windowTitle())
              .arg(window.width())
              .arg(window.height())
              .arg(QApplication::style()->name())
              .arg(QApplication::isRightToLeft())
              .arg(QCoreApplication::arguments().size()));
      window.close();
    });
  } else if (name == "fatal") {
    PrintBoxes();
    EncryptAndDecrypt(window);
    ui_test::Later([] { ui::ReportFatalError("测试用的致命错误"); });
  } else {
    lifecycle::MemoryScenario(name, window);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string scenario = argc > 1 ? argv[1] : "";
  ui::StartupHooks hooks;
  if (scenario == "no-window") {
    PrintBoxes();
    hooks.createWindow = [] { return static_cast<MainWindow*>(nullptr); };
  }
  hooks.afterShown = [&scenario](MainWindow& window) { Scenario(scenario, window); };
  // The "arguments" scenario hands the program its whole command line, as
  // main() does; the others keep theirs from Qt.
  int qtArgc = scenario == "arguments" ? argc : 1;
  const int code = ui::RunTextcrypt(qtArgc, argv, hooks);
  Say(QStringLiteral("exit code %1").arg(code));
  return code;
}
