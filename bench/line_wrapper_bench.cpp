// Finding every line start of one long paragraph, as Ctrl+End does in a text
// just written to a box: characters per second for the window's two wrap
// modes, over a ciphertext, Chinese prose without line breaks, and the same
// without spaces.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFontDatabase>
#include <vector>

#include "ui/line_wrapper.h"

namespace {

constexpr qsizetype kCharacters = 4 << 20;

QString Repeated(const QString& unit) {
  QString text;
  text.reserve(kCharacters + unit.size());
  while (text.size() < kCharacters) text += unit;
  text.truncate(kCharacters);
  return text;
}

QString Sample(int kind) {
  switch (kind) {
    case 0:
      return Repeated(QStringLiteral("RGp3ZBzN9k+0q1yXl8fVbHc2o/TwUeJmA5sQiKrLxtuP7v4nYa6E"));
    case 1:
      return Repeated(
          QStringLiteral("这是一段用来测量速度的文本，含有 ASCII words and 数字 12345。"));
    default:
      return Repeated(QStringLiteral("这是一段用来测量速度的文本，含有ASCIIwordsand数字12345。"));
  }
}

QFont BoxFont() {
  QFont font = QApplication::font();
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

// range(0): 0 ciphertext, 1 prose, 2 prose without spaces; range(1): 1 to
// wrap anywhere (the ciphertext box), 0 at word boundaries.
void BM_WrapWholeParagraph(benchmark::State& state) {
  const QString text = Sample(static_cast<int>(state.range(0)));
  const auto mode =
      state.range(1) == 1 ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
  for (auto _ : state) {
    ui::LineWrapper wrapper(BoxFont(), mode);
    wrapper.SetWidth(919);
    std::vector<qsizetype> starts{0};
    wrapper.Extend(text, starts, text.size());
    benchmark::DoNotOptimize(starts.data());
  }
  state.SetItemsProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_WrapWholeParagraph)
    ->ArgNames({"text", "anywhere"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
