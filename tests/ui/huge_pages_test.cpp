// Big blocks ask for huge pages: a block handed to PreferHugePages, and one
// that the program's malloc gives, carry the kernel's huge-page flag on the
// whole huge pages inside them; small blocks are left alone.
#include "ui/huge_pages.h"

#include <sys/mman.h>

#include <QFile>
#include <QTest>
#include <cstdint>
#include <cstdlib>

namespace {

// The VmFlags of the mapping that holds address, from /proc/self/smaps.
QByteArray FlagsAt(const void* address) {
  QFile smaps(QStringLiteral("/proc/self/smaps"));
  if (!smaps.open(QIODevice::ReadOnly)) return {};
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  bool inside = false;
  for (const QByteArray& line : smaps.readAll().split('\n')) {
    // A mapping's first line starts with its range, "begin-end perms ...".
    const QByteArray first = line.left(line.indexOf(' '));
    if (first.contains('-') && !first.contains(':')) {
      const qsizetype dash = first.indexOf('-');
      const auto begin = first.left(dash).toULongLong(nullptr, 16);
      const auto end = first.mid(dash + 1).toULongLong(nullptr, 16);
      inside = at >= begin && at < end;
    }
    if (inside && line.startsWith("VmFlags:")) return line;
  }
  return {};
}

bool KernelHasHugePages() {
  return QFile::exists(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
}

constexpr std::size_t kHugePage = 2u << 20;

const char* Middle(const void* block, std::size_t bytes) {
  return static_cast<const char*>(block) + bytes / 2;
}

}  // namespace

class HugePagesTest : public QObject {
  Q_OBJECT

 private slots:
  void bigBlocksAskSmallOnesDoNot() {
    if (!KernelHasHugePages()) QSKIP("this kernel has no transparent huge pages");
    const std::size_t big = 16 * kHugePage;
    void* block = mmap(nullptr, big, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    QVERIFY(block != MAP_FAILED);
    void* small =
        mmap(nullptr, kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    QVERIFY(small != MAP_FAILED);
    ui::PreferHugePages(block, big);
    ui::PreferHugePages(small, kHugePage);
    QVERIFY2(FlagsAt(Middle(block, big)).contains(" hg"), FlagsAt(Middle(block, big)));
    QVERIFY2(!FlagsAt(small).contains(" hg"), FlagsAt(small));
    munmap(block, big);
    munmap(small, kHugePage);
  }

  void theProgramsMallocAsks() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("ASan brings its own malloc, so the program does not wrap it in this build");
#endif
    if (!KernelHasHugePages()) QSKIP("this kernel has no transparent huge pages");
    const std::size_t big = 24 * kHugePage;
    void* block = std::malloc(big);
    QVERIFY(block != nullptr);
    QVERIFY2(FlagsAt(Middle(block, big)).contains(" hg"), FlagsAt(Middle(block, big)));
    std::free(block);
  }
};

QTEST_APPLESS_MAIN(HugePagesTest)
#include "huge_pages_test.moc"
