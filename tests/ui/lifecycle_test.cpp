// Start-up, shut-down and the fatal paths, each in a child process.
#include <QTest>

#include "lifecycle_run.h"

using lifecycle::Run;
using lifecycle::RunHelper;
using lifecycle::RunProgram;

class LifecycleTest : public QObject {
  Q_OBJECT

 private slots:
  void startsCentredActiveWithFocusInThePlaintextBox() {
    const Run run = RunHelper(QStringLiteral("start"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out,
             QStringList({"visible=1 active=1 normal=1 focus=编辑框1 centred=1",
                          "exit handler: cipher=0 decoded=0 window destroyed=1", "exit code 0"}));
  }

  // Qt's own options on the command line change nothing (Qt's environment,
  // here the platform, still does).
  void commandLineIsIgnored() {
    const Run run = RunHelper(QStringLiteral("arguments"),
                              {"-qwindowtitle", "X", "-geometry", "300x200+10+10", "-style",
                               "windows", "-reverse", "-platform", "xcb", "--key", "value"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.value(0), QStringLiteral("title=Tarnevok特制文本加密工具 size=968x566 "
                                              "style=fusion right-to-left=0 arguments=1"));
  }

  // The exit handlers run once, after the window is gone; the buffers of an
  // Encrypt and a Decrypt are released.
  void escapeEndsTheProgram() {
    const Run run = RunHelper(QStringLiteral("esc"));
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out,
             QStringList({"exit handler: cipher=0 decoded=0 window destroyed=1", "exit code 0"}));
  }

  void escapeDuringALongDecode() {
    const Run run = RunHelper(QStringLiteral("esc-during-decode"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out,
             QStringList({"after Esc: decoding=1 visible=0", "decode finished",
                          "exit handler: cipher=0 decoded=0 window destroyed=1", "exit code 0"}));
  }

  void fatalErrorSkipsTheExitHandlers() {
    const Run run = RunHelper(QStringLiteral("fatal"));
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 255);
    QCOMPARE(run.out.size(), 3);
    QCOMPARE(run.out[0], QStringLiteral("box title: 错误"));
    QCOMPARE(run.out[1], QStringLiteral("box icon critical: 1"));
    QVERIFY2(
        run.out[2].startsWith(QStringLiteral("box text: 运行时出错!||错误信息：测试用的致命错误|")),
        qPrintable(run.out[2]));
    QVERIFY2(run.out[2].contains(QStringLiteral("lifecycle_helper.cpp")), qPrintable(run.out[2]));
  }

  void windowThatCannotBeCreated() {
    const Run run = RunHelper(QStringLiteral("no-window"));
    QCOMPARE(run.exitCode, 255);
    QCOMPARE(run.out.size(), 3);
    QVERIFY(run.out[2].startsWith(
        QStringLiteral("box text: 运行时出错!||错误信息：载入启动窗口失败|")));
  }

  // Qt would abort with a core dump; the program says why in one line.
  void noDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    const Run run = RunProgram(QStringLiteral(TEXTCRYPT_PROGRAM), {}, environment);
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 255);
    QCOMPARE(run.err.count(u'\n'), 1);
    QVERIFY2(run.err.contains(QStringLiteral("display")), qPrintable(run.err));
  }
};

QTEST_GUILESS_MAIN(LifecycleTest)
#include "lifecycle_test.moc"
