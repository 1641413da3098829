// A request for storage that fails, wherever it comes from, ends in the
// error box with its byte count and exit code 255; each case runs the whole
// program in a child process.
#include <QRegularExpression>
#include <QTest>

#include "lifecycle_run.h"

using lifecycle::Run;
using lifecycle::RunHelper;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizerOwnsMalloc = true;
#else
constexpr bool kSanitizerOwnsMalloc = false;
#endif
constexpr const char* kNoWrappedMalloc =
    "ASan brings its own malloc, so the program does not wrap the C allocation functions "
    "in this build";
constexpr const char* kNoAddressLimit =
    "ASan maps terabytes of shadow memory, so no address-space limit can be set in this build";

// The one error box a run showed, as "title|icon|text", or what it showed instead.
QString FatalBox(const Run& run) {
  if (run.status != QProcess::NormalExit) return QStringLiteral("died by a signal");
  if (run.exitCode != 255) return QStringLiteral("exit code %1").arg(run.exitCode);
  const qsizetype title = run.out.indexOf(QStringLiteral("box title: 错误"));
  if (title < 0 || title + 2 >= run.out.size()) return run.out.join(u'\n');
  if (run.out[title + 1] != QStringLiteral("box icon critical: 1")) return run.out[title + 1];
  return run.out[title + 2];
}

// The N of "分配 N 字节内存失败!" at the head of the box's message, or empty.
QString ReportedCount(const QString& box) {
  static const QRegularExpression pattern(
      QStringLiteral("^box text: 运行时出错!\\|\\|错误信息：分配 (\\d+) 字节内存失败!\\|"));
  return pattern.match(box).captured(1);
}

// The number that the helper said after the prefix.
double SaidNumber(const Run& run, const QString& prefix) {
  for (const QString& line : run.out) {
    if (line.startsWith(prefix)) return line.mid(prefix.size()).toDouble();
  }
  return -1;
}

}  // namespace

class LifecycleMemoryTest : public QObject {
  Q_OBJECT

 private slots:
  // A count past 2^64 is a calloc product that overflowed: it asked for
  // that many bytes all the same.
  void failedRequestIsReportedWithItsCount_data() {
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<bool>("throughTheCLibrary");
    const QString huge = QStringLiteral("4611686018427387904");          // 2^62
    const QString overflowing = QStringLiteral("73786976294838206464");  // 2^62 × 16
    QTest::newRow("malloc") << "malloc" << huge << true;
    QTest::newRow("calloc, count × size past 2^64") << "calloc" << overflowing << true;
    QTest::newRow("realloc") << "realloc" << huge << true;
    QTest::newRow("reallocarray, past 2^64") << "reallocarray" << overflowing << true;
    QTest::newRow("aligned_alloc") << "aligned_alloc" << huge << true;
    QTest::newRow("posix_memalign") << "posix_memalign" << huge << true;
    QTest::newRow("memalign") << "memalign" << huge << true;
    QTest::newRow("valloc") << "valloc" << huge << true;
    QTest::newRow("pvalloc") << "pvalloc" << huge << true;
    QTest::newRow("new[]") << "new" << huge << false;
    QTest::newRow("nothrow new[]") << "new-nothrow" << huge << false;
    QTest::newRow("aligned new") << "new-aligned" << huge << false;
    QTest::newRow("new on another thread") << "other-thread" << huge << false;
  }
  void failedRequestIsReportedWithItsCount() {
    QFETCH(QString, request);
    QFETCH(QString, bytes);
    QFETCH(bool, throughTheCLibrary);
    if (throughTheCLibrary && kSanitizerOwnsMalloc) QSKIP(kNoWrappedMalloc);

    const Run run = RunHelper(QStringLiteral("request:") + request);
    const QString box = FatalBox(run);
    QVERIFY2(ReportedCount(box) == bytes, qPrintable(box));
    // Nobody saw null, and the exit handlers did not run.
    QVERIFY2(!run.out.contains(QStringLiteral("exit code 0")), qPrintable(run.out.join(u'\n')));
    QCOMPARE(run.out.filter(QStringLiteral("exit handler")), QStringList());
    QCOMPARE(run.out.filter(QStringLiteral("request answered")), QStringList());
  }

  // Here the main thread waits for the thread whose request failed: after a
  // while the line on stderr has to do, and the program does not freeze.
  void failureOnAThreadTheMainThreadWaitsFor() {
    const Run run = RunHelper(QStringLiteral("other-thread-joined"));
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 255);
    QCOMPARE(run.out, QStringList());
    QCOMPARE(run.err.split(u'\n').filter(QStringLiteral("textcrypt:")),
             QStringList({"textcrypt: 分配 4611686018427387904 字节内存失败!"}));
  }

  // Null or EINVAL that are answers, not shortages, reach their callers.
  void callsThatFailWithoutAShortageAreLeftToTheirCallers() {
    if (kSanitizerOwnsMalloc) QSKIP(kNoWrappedMalloc);
    const Run run = RunHelper(QStringLiteral("no-shortage"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.value(0), QStringLiteral("malloc(0)=1 calloc(0,n)=1 realloc(p,0) freed=1 "
                                              "posix_memalign(24)=EINVAL:1 "
                                              "memalign(SIZE_MAX)=EINVAL:1"));
  }

  // The box asks for more than there is: one line on stderr, still 255.
  void failureWhileTheBoxIsShownEndsWithOneLine() {
    const Run run = RunHelper(QStringLiteral("failure-while-reporting"));
    QCOMPARE(ReportedCount(FatalBox(run)), QStringLiteral("4611686018427387904"));
    QCOMPARE(run.err.split(u'\n').filter(QStringLiteral("textcrypt:")),
             QStringList({"textcrypt: 分配 2305843009213693952 字节内存失败!"}));
  }

  void exceptionFromAHandlerNamesItsType() {
    const Run run = RunHelper(QStringLiteral("exception"));
    const QString box = FatalBox(run);
    QVERIFY2(
        box.startsWith(QStringLiteral(
            "box text: 运行时出错!||错误信息：未处理的异常：std::length_error：测试用的异常|")),
        qPrintable(box));
  }

  // The window under a limited address space: the first request that does
  // not fit is Qt's or the box's (reading a box, storing a pasted or written
  // paragraph), and it is at least as large as the data it holds. The box is the only report: the
  // window that failed half-way does not run into the shortage again (one
  // more line on stderr) while the box is up.
  void shortageWhileTheWindowWorks_data() {
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("sizeLine");
    QTest::newRow("加密, a long text") << "shortage-encrypt"
                                       << "text bytes: ";
    QTest::newRow("解密, a long ciphertext") << "shortage-decrypt"
                                             << "decoded bytes: ";
    QTest::newRow("paste of one long paragraph") << "shortage-paste"
                                                 << "text bytes: ";
    QTest::newRow("one long paragraph written into the box") << "shortage-layout"
                                                             << "text bytes: ";
  }
  void shortageWhileTheWindowWorks() {
    QFETCH(QString, scenario);
    QFETCH(QString, sizeLine);
    if (kSanitizerOwnsMalloc) QSKIP(kNoAddressLimit);

    const Run run = RunHelper(scenario);
    const QString box = FatalBox(run);
    const QString count = ReportedCount(box);
    QVERIFY2(!count.isEmpty(), qPrintable(box + u'\n' + run.err));
    const double dataBytes = SaidNumber(run, sizeLine);
    QVERIFY2(dataBytes > 0, qPrintable(run.out.join(u'\n')));
    QVERIFY2(count.toDouble() > dataBytes, qPrintable(count + u' ' + QString::number(dataBytes)));
    QCOMPARE(run.out.filter(QStringLiteral("returned")), QStringList());
    QCOMPARE(run.err.split(u'\n').filter(QStringLiteral("textcrypt:")), QStringList());
  }
};

QTEST_GUILESS_MAIN(LifecycleMemoryTest)
#include "lifecycle_memory_test.moc"
