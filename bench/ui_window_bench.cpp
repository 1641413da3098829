// The window's pump against a pump that does nothing, over 4 MiB and 16 MiB
// of ciphertext; and a click on Encrypt or Decrypt of a 1 MiB text until the
// result has been laid out and painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdint>
#include <map>
#include <variant>

#include "cipher/text_cipher.h"
#include "ui/box_text.h"
#include "ui/code_page_bridge.h"
#include "ui/event_pump.h"
#include "ui/main_window.h"

namespace {

const cipher::Text kKey = ui::BoxTextToBytes(QStringLiteral("密钥 key"));

// A text of about the given size in bytes, Chinese with some ASCII and
// line breaks, as a user's plaintext would be.
cipher::Text PlaintextOfSize(std::size_t bytes) {
  const cipher::Text line = ui::BoxTextToBytes(
      QStringLiteral("这是一段用来测量速度的文本，含有 ASCII words and 数字 12345。\n"));
  cipher::Text text;
  text.reserve(bytes + line.size());
  while (text.size() < bytes) text += line;
  text.resize(bytes);
  while (!text.empty() && static_cast<unsigned char>(text.back()) >= 0x80) text.pop_back();
  return text;
}

cipher::Text Encrypt(const cipher::Text& plaintext) {
  return std::get<cipher::Text>(cipher::EncryptText(plaintext, kKey));
}

// range(0) MiB of ciphertext: three quarters as much plaintext.
const cipher::Text& CiphertextOfMiB(const benchmark::State& state) {
  static std::map<std::int64_t, cipher::Text> ciphertexts;
  cipher::Text& ciphertext = ciphertexts[state.range(0)];
  if (ciphertext.empty()) {
    ciphertext = Encrypt(PlaintextOfSize(static_cast<std::size_t>(state.range(0)) * (3u << 18)));
  }
  return ciphertext;
}

ui::MainWindow& ShownWindow() {
  static ui::MainWindow* const window = [] {
    auto* w = new ui::MainWindow;
    w->show();
    QApplication::processEvents();
    return w;
  }();
  return *window;
}

void BM_DecryptNoOpPump(benchmark::State& state) {
  const cipher::Text& ciphertext = CiphertextOfMiB(state);
  for (auto _ : state) {
    auto outcome = cipher::DecryptText(
        ciphertext, [] { return kKey; }, [] {});
    benchmark::DoNotOptimize(outcome);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ciphertext.size()));
}
BENCHMARK(BM_DecryptNoOpPump)->Arg(4)->Arg(16)->ArgName("MiB")->Unit(benchmark::kMillisecond);

// The pump as the window passes it, with the window shown and the toolkit
// running, so each look at the toolkit does its real work.
void BM_DecryptWindowPump(benchmark::State& state) {
  ShownWindow();
  const cipher::Text& ciphertext = CiphertextOfMiB(state);
  for (auto _ : state) {
    auto outcome = cipher::DecryptText(
        ciphertext, [] { return kKey; }, ui::ProcessPendingInput);
    benchmark::DoNotOptimize(outcome);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ciphertext.size()));
}
BENCHMARK(BM_DecryptWindowPump)->Arg(4)->Arg(16)->ArgName("MiB")->Unit(benchmark::kMillisecond);

// Paints the box now, which lays out its whole text first.
void Show(QPlainTextEdit& box) {
  box.viewport()->repaint();
  QApplication::processEvents();
}

void BM_EncryptClickToShown1MiB(benchmark::State& state) {
  ui::MainWindow& window = ShownWindow();
  ui::WriteBoxText(*window.编辑框1, PlaintextOfSize(1u << 20));
  window.编辑框3->setText(QStringLiteral("密钥 key"));
  for (auto _ : state) {
    state.PauseTiming();
    window.编辑框2->clear();
    Show(*window.编辑框2);
    state.ResumeTiming();
    window.按钮1->click();
    Show(*window.编辑框2);
  }
}
BENCHMARK(BM_EncryptClickToShown1MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

// The plaintext as lines of Chinese and ASCII; with range(0) = 1, as one
// paragraph without a line break, the hardest case for the box's layout.
void BM_DecryptClickToShown1MiB(benchmark::State& state) {
  ui::MainWindow& window = ShownWindow();
  cipher::Text plaintext = PlaintextOfSize(1u << 20);
  if (state.range(0) == 1) {
    std::replace(plaintext.begin(), plaintext.end(), '\r', ' ');
    std::replace(plaintext.begin(), plaintext.end(), '\n', ' ');
  }
  ui::WriteBoxText(*window.编辑框2, Encrypt(plaintext));
  window.编辑框3->setText(QStringLiteral("密钥 key"));
  for (auto _ : state) {
    state.PauseTiming();
    window.编辑框1->clear();
    Show(*window.编辑框1);
    state.ResumeTiming();
    window.按钮2->click();
    Show(*window.编辑框1);
  }
}
BENCHMARK(BM_DecryptClickToShown1MiB)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("one_paragraph")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
