// Scenarios of lifecycle_helper in which a request for storage fails: one
// that no machine can serve, from each allocation function, and real
// shortages under a limited address space while the window works.
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTest>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <new>
#include <stdexcept>
#include <thread>

#include "lifecycle_helper.h"
#include "ui/fatal_error.h"
#include "ui/text_box.h"
#include "window_fixture.h"

namespace lifecycle {
namespace {

// Read at run time, so the compiler neither warns about nor folds the calls.
volatile std::size_t hugeCount = std::size_t{1} << 62;
// Every result is kept, so no call can be left out.
void* volatile kept = nullptr;

std::size_t Huge() {
  return hugeCount;
}

// Lets the address space grow by margin beyond what is mapped now, so the
// next request larger than that fails.
void LimitAddressSpace(std::size_t margin) {
  unsigned long pages = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  const bool read = statm != nullptr && std::fscanf(statm, "%lu", &pages) == 1;
  if (statm != nullptr) std::fclose(statm);
  rlimit limit{};
  if (!read || getrlimit(RLIMIT_AS, &limit) != 0) {
    Say(QStringLiteral("cannot limit the address space"));
    std::_Exit(3);
  }
  limit.rlim_cur = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + margin;
  setrlimit(RLIMIT_AS, &limit);
}

qsizetype Gb18030Bytes(const QString& boxText) {
  QString text = boxText;
  text.replace(u'\n', QStringLiteral("\r\n"));  // as the window reads a box
  QStringEncoder encoder("GB18030");
  return QByteArray(encoder(text)).size();
}

// Lines of Chinese text, each a paragraph of its own, so the box lays out
// only the few it shows.
QString ManyLines(qsizetype characters) {
  const QString line = QStringLiteral("长文本").repeated(21) + u'\n';
  return line.repeated(characters / line.size());
}

const std::map<std::string, std::function<void()>>& Requests() {
  static const std::map<std::string, std::function<void()>> requests = {
      {"malloc", [] { kept = std::malloc(Huge()); }},
      {"calloc", [] { kept = std::calloc(Huge(), 16); }},  // the product overflows
      {"realloc", [] { kept = std::realloc(std::malloc(16), Huge()); }},
      {"reallocarray", [] { kept = reallocarray(nullptr, Huge(), 16); }},
      {"aligned_alloc", [] { kept = std::aligned_alloc(64, Huge()); }},
      {"posix_memalign",
       [] {
         void* p = nullptr;
         if (posix_memalign(&p, 64, Huge()) == 0) kept = p;
       }},
      {"memalign", [] { kept = memalign(4096, Huge()); }},
      {"valloc", [] { kept = valloc(Huge()); }},
      {"pvalloc", [] { kept = pvalloc(Huge()); }},
      {"new", [] { kept = new char[Huge()]; }},
      {"new-nothrow", [] { kept = new (std::nothrow) char[Huge()]; }},
      {"new-aligned", [] { kept = ::operator new (Huge(), std::align_val_t{64}); }},
      // The main thread goes on with its events, among them the box.
      {"other-thread",
       [] {
         std::thread([] { kept = ::operator new(Huge()); }).detach();
         QTest::qWait(10000);
       }},
  };
  return requests;
}

// Calls that answer null or an error without any shortage.
void NoShortage(ui::MainWindow& window) {
  void* p = nullptr;
  const int badAlignment = posix_memalign(&p, 3 * sizeof(void*), 16);
  errno = 0;
  const bool hugeAlignment = memalign(SIZE_MAX, 16) == nullptr && errno == EINVAL;
  kept = std::malloc(0);
  const bool mallocZero = kept != nullptr;
  std::free(kept);
  kept = std::calloc(0, Huge());
  const bool callocZero = kept != nullptr;
  std::free(kept);
  const bool reallocZeroFrees = std::realloc(std::malloc(16), 0) == nullptr;
  Say(QStringLiteral("malloc(0)=%1 calloc(0,n)=%2 realloc(p,0) freed=%3 "
                     "posix_memalign(24)=EINVAL:%4 memalign(SIZE_MAX)=EINVAL:%5")
          .arg(mallocZero)
          .arg(callocZero)
          .arg(reallocZeroFrees)
          .arg(badAlignment == EINVAL)
          .arg(hugeAlignment));
  window.close();
}

}  // namespace

void MemoryScenario(const std::string& name, ui::MainWindow& window) {
  const std::string requestPrefix = "request:";
  if (name.starts_with(requestPrefix)) {
    const auto found = Requests().find(name.substr(requestPrefix.size()));
    if (found == Requests().end()) return;
    PrintBoxes();
    ui_test::Later([request = found->second, &window] {
      request();
      Say(QStringLiteral("request answered"));
      window.close();
    });
  } else if (name == "other-thread-joined") {
    // The main thread waits for the failing thread, so it never shows a box.
    PrintBoxes();
    ui_test::Later([] {
      std::thread([] { kept = ::operator new(Huge()); }).join();
      Say(QStringLiteral("join returned"));
    });
  } else if (name == "no-shortage") {
    ui_test::Later([&window] { NoShortage(window); });
  } else if (name == "exception") {
    PrintBoxes();
    QObject::connect(window.按钮4, &QPushButton::clicked,
                     [] { throw std::length_error("测试用的异常"); });
    ui_test::PostClick(*window.按钮4);
  } else if (name == "failure-while-reporting") {
    PrintBoxes([] { kept = ::operator new(Huge() / 2); });
    ui_test::Later([] { kept = ::operator new(Huge()); });
  } else if (name == "shortage-encrypt") {
    PrintBoxes();
    window.编辑框1->setPlainText(ManyLines(4 << 20));
    window.编辑框3->setText(QStringLiteral("密钥"));
    Say(QStringLiteral("text bytes: %1").arg(Gb18030Bytes(window.编辑框1->toPlainText())));
    ui_test::Later([&window] {
      LimitAddressSpace(std::size_t{2} << 20);
      ui_test::Click(*window.按钮1);
      Say(QStringLiteral("encrypt returned"));
    });
  } else if (name == "shortage-decrypt") {
    PrintBoxes();
    const QString group = QStringLiteral("QUJD").repeated(19) + u'\n';  // "ABC" each
    window.编辑框2->setPlainText(group.repeated((16 << 20) / group.size()));
    window.编辑框3->setText(QStringLiteral("密钥"));
    Say(QStringLiteral("decoded bytes: %1").arg(window.编辑框2->toPlainText().size() / 77 * 57));
    ui_test::Later([&window] {
      LimitAddressSpace(std::size_t{2} << 20);
      ui_test::Click(*window.按钮2);
      Say(QStringLiteral("decrypt returned"));
    });
  } else if (name == "shortage-layout") {
    PrintBoxes();
    const QString text = QStringLiteral("长文本").repeated(1 << 20);
    Say(QStringLiteral("text bytes: %1").arg(Gb18030Bytes(text)));
    ui_test::Later([&window, text] {
      LimitAddressSpace(std::size_t{2} << 20);
      window.编辑框1->setPlainText(text);
      Say(QStringLiteral("setting the text returned"));
    });
  } else if (name == "shortage-paste") {
    PrintBoxes();
    // One paragraph, pasted whole: the box must hold all of it.
    const QString text = QStringLiteral("长文本").repeated(1 << 20);
    QGuiApplication::clipboard()->setText(text);
    Say(QStringLiteral("text bytes: %1").arg(Gb18030Bytes(text)));
    ui_test::Later([&window] {
      LimitAddressSpace(std::size_t{4} << 20);
      window.编辑框1->setFocus();
      ui_test::PressKey(window, Qt::Key_V, Qt::ControlModifier);
      Say(QStringLiteral("paste returned"));
    });
  }
}

}  // namespace lifecycle
