#include "ui/app_start.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QScreen>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <QWindow>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "ui/event_pump.h"
#include "ui/exit_handlers.h"
#include "ui/fatal_error.h"
#include "ui/guarded_application.h"
#include "ui/main_window.h"

namespace ui {
namespace {

// Qt's own messages while the application object is being made. Qt ends a
// start without a display with a fatal message, an abort and a core dump;
// the watch turns that into one clear line on stderr and exit code 255, and
// passes the other messages on once the application object exists.
struct HeldMessage {
  QtMsgType type;
  QString text;
};

QList<HeldMessage>* heldMessages = nullptr;
QtMessageHandler previousHandler = nullptr;

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fputs(
        "textcrypt: 无法打开窗口：没有可用的图形显示 (cannot open a display; is DISPLAY set?)\n",
        stderr);
    std::fflush(stderr);
    std::_Exit(-1);  // no abort, so no core dump
  }
  (void)context;
  heldMessages->append({type, text});
}

void BeginQtStartupWatch() {
  heldMessages = new QList<HeldMessage>;
  previousHandler = qInstallMessageHandler(HoldMessage);
}

void EndQtStartupWatch() {
  qInstallMessageHandler(previousHandler);
  if (heldMessages == nullptr) return;
  const QMessageLogContext noContext;
  for (const HeldMessage& message : *heldMessages) {
    qt_message_output(message.type, noContext, message.text);
  }
  delete heldMessages;
  heldMessages = nullptr;
}

MainWindow* CreateAndShowWindow(const StartupHooks& hooks) {
  MainWindow* window = hooks.createWindow ? hooks.createWindow() : new MainWindow;
  if (window == nullptr) return nullptr;
  window->SetDeleteWhenClosed(true);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    window->move(MainWindow::CentredFramePosition(screen->geometry()));
  }
  window->showNormal();
  window->activateWindow();
  if (window->windowHandle() == nullptr || window->windowHandle()->handle() == nullptr) {
    delete window;
    return nullptr;
  }
  return window;
}

}  // namespace

int RunTextcrypt(int& argc, char** argv, const StartupHooks& hooks) {
  ReserveMemoryForFatalError();
  // An exception that nothing caught would abort with a core dump; it ends
  // in the fatal error box instead.
  std::set_terminate(ReportCurrentException);

  // The program reads no command line: Qt gets the program's name only, so
  // options such as -style or -geometry change nothing, while Qt's
  // environment variables (QT_QPA_PLATFORM and the like) still apply.
  char fallbackName[] = "textcrypt";
  char* qtArgv[] = {argc > 0 && argv[0] != nullptr ? argv[0] : fallbackName, nullptr};
  int qtArgc = 1;
  BeginQtStartupWatch();
  GuardedApplication application(qtArgc, qtArgv);
  EndQtStartupWatch();
  // The program ends when its window is closed, through the quit request.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/textcrypt.png")));
  // Wayland compositors find the menu entry and its icon by this id (set by
  // packaging/CMakeLists.txt), since they take no icon from the window.
  QGuiApplication::setDesktopFileName(QStringLiteral(TEXTCRYPT_DESKTOP_FILE_NAME));
  LoadQtChineseTranslation(application);

  RegisterExitHandler(ReleaseLastBuffers);

  const QPointer<MainWindow> window = CreateAndShowWindow(hooks);
  if (window == nullptr) ReportFatalError("载入启动窗口失败");
  if (hooks.afterShown) hooks.afterShown(*window);

  eventLoopStarted = true;
  int exitCode = 0;
  // A window closed before this point raised no quit request; no loop then.
  if (window != nullptr && !window->IsGone()) exitCode = RunEventLoop();

  delete window.data();  // normally gone already; no handler runs any more
  RunExitHandlers();
  return exitCode;
}

void LoadQtChineseTranslation(QCoreApplication& application) {
  auto* translator = new QTranslator(&application);
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                       QStringLiteral("_"), folder)) {
    QCoreApplication::installTranslator(translator);
  } else {
    delete translator;
  }
}

}  // namespace ui
