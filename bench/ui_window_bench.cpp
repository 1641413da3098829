// The window's pump against a pump that does nothing, over 4 MiB and 16 MiB
// of ciphertext; a click on Encrypt or Decrypt of a 1 MiB text until the
// result has been laid out and painted; and a user's round trip with a big
// text (paste, 加密, typing, moving, 解密), each step until painted, in the
// window's boxes and, as the baseline, in QPlainTextEdit boxes set up as the
// window's boxes used to be.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <variant>

#include "cipher/text_cipher.h"
#include "ui/code_page_bridge.h"
#include "ui/event_pump.h"
#include "ui/main_window.h"
#include "ui/text_box.h"

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

// Paints the box now, laying out what it needs first.
void Show(QWidget& box) {
  if (auto* plain = qobject_cast<QPlainTextEdit*>(&box)) {
    plain->viewport()->repaint();
  } else {
    box.repaint();
  }
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

// The code-page bridge alone, both ways, for the 16 MiB round trip: the part
// of 加密 and 解密 that is neither the cipher nor the boxes. 加密 reads the
// text box and writes the ciphertext; 解密 reads the ciphertext and writes
// the text.
void BM_BridgeToBytes16MiB(benchmark::State& state) {
  const QString text = ui::BytesToBoxText(PlaintextOfSize(16u << 20));
  for (auto _ : state) benchmark::DoNotOptimize(ui::BoxTextToBytes(text));
}
BENCHMARK(BM_BridgeToBytes16MiB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BridgeToText16MiB(benchmark::State& state) {
  const cipher::Text plaintext = PlaintextOfSize(16u << 20);
  for (auto _ : state) benchmark::DoNotOptimize(ui::BytesToBoxText(plaintext));
}
BENCHMARK(BM_BridgeToText16MiB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BridgeToBytes16MiBCiphertext(benchmark::State& state) {
  const QString ciphertext = ui::BytesToBoxText(Encrypt(PlaintextOfSize(16u << 20)));
  for (auto _ : state) benchmark::DoNotOptimize(ui::BoxTextToBytes(ciphertext));
}
BENCHMARK(BM_BridgeToBytes16MiBCiphertext)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BridgeToText16MiBCiphertext(benchmark::State& state) {
  const cipher::Text ciphertext = Encrypt(PlaintextOfSize(16u << 20));
  for (auto _ : state) benchmark::DoNotOptimize(ui::BytesToBoxText(ciphertext));
}
BENCHMARK(BM_BridgeToText16MiBCiphertext)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---- the round trip ----------------------------------------------------------

// The two large boxes and what 加密 and 解密 do with them.
struct Boxes {
  QWidget* plaintext;
  QWidget* ciphertext;
  std::function<void()> encrypt;
  std::function<void()> decrypt;
};

Boxes OurBoxes() {
  ui::MainWindow& window = ShownWindow();
  window.编辑框3->setText(QStringLiteral("密钥 key"));
  return {window.编辑框1, window.编辑框2, [&window] { window.按钮1->click(); },
          [&window] { window.按钮2->click(); }};
}

// The window's boxes as they were: QPlainTextEdit wrapped at the widget's
// width, without scroll bars, at the same places.
Boxes PlainTextEditBoxes() {
  static QWidget* const window = [] {
    auto* w = new QWidget;
    w->setFixedSize(ui::kClientWidth, ui::kClientHeight);
    const std::pair<QTextOption::WrapMode, QRect> boxes[] = {
        {QTextOption::WrapAtWordBoundaryOrAnywhere, QRect(16, 24, 936, 232)},
        {QTextOption::WrapAnywhere, QRect(16, 296, 936, 240)}};
    for (const auto& [wrap, geometry] : boxes) {
      auto* box = new QPlainTextEdit(w);
      box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
      box->setWordWrapMode(wrap);
      box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      box->setGeometry(geometry);
    }
    w->show();
    QApplication::processEvents();
    return w;
  }();
  const QList<QPlainTextEdit*> boxes = window->findChildren<QPlainTextEdit*>();
  QPlainTextEdit* plaintext = boxes[0];
  QPlainTextEdit* ciphertext = boxes[1];
  return {plaintext, ciphertext,
          [=] { ui::WriteBoxText(*ciphertext, Encrypt(ui::ReadBoxText(*plaintext))); },
          [=] {
            auto outcome = cipher::DecryptText(
                ui::ReadBoxText(*ciphertext), [] { return kKey; }, ui::ProcessPendingInput);
            ui::WriteBoxText(*plaintext, std::get<cipher::Text>(outcome));
          }};
}

void Key(QWidget& box, int key, Qt::KeyboardModifiers modifiers = {}, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(&box, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QApplication::sendEvent(&box, &release);
}

// The peak resident memory since the last reset, in megabytes.
double PeakMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  }
  return 0;
}
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// range(0): size in MiB; range(1): 1 for one line without spaces; range(2):
// 1 for the baseline boxes.
void BM_RoundTrip(benchmark::State& state) {
  cipher::Text plaintext = PlaintextOfSize(static_cast<std::size_t>(state.range(0)) << 20);
  if (state.range(1) == 1) {
    std::erase_if(plaintext, [](char c) { return c == '\r' || c == '\n' || c == ' '; });
  }
  const Boxes boxes = state.range(2) == 1 ? PlainTextEditBoxes() : OurBoxes();
  QWidget& box1 = *boxes.plaintext;
  QWidget& box2 = *boxes.ciphertext;
  for (auto _ : state) {
    if (auto* ours = qobject_cast<ui::TextBox*>(&box1)) ours->clear();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(&box1)) plain->clear();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(&box2)) plain->clear();
    if (auto* ours = qobject_cast<ui::TextBox*>(&box2)) ours->clear();
    QGuiApplication::clipboard()->setText(ui::BytesToBoxText(plaintext));
    cipher::Text().swap(plaintext);  // the clipboard has it; the peak is the window's
    Show(box1);
    Show(box2);
    ResetPeak();
    double total = 0;
    auto step = [&](const char* name, auto&& action, QWidget& shown) {
      const auto start = std::chrono::steady_clock::now();
      action();
      Show(shown);
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      state.counters[name] = seconds;
      total += seconds;
    };
    box1.setFocus();
    step(
        "paste", [&] { Key(box1, Qt::Key_V, Qt::ControlModifier); }, box1);
    step("encrypt", boxes.encrypt, box2);
    box2.setFocus();
    // A ciphertext just written has no lines found yet either.
    step(
        "ctrl_end2_fresh", [&] { Key(box2, Qt::Key_End, Qt::ControlModifier); }, box2);
    step(
        "type_end2", [&] { Key(box2, Qt::Key_A, {}, QStringLiteral("a")); }, box2);
    step(
        "delete_end2", [&] { Key(box2, Qt::Key_Backspace); }, box2);
    Key(box2, Qt::Key_Home, Qt::ControlModifier);
    Show(box2);
    step(
        "type_start2", [&] { Key(box2, Qt::Key_A, {}, QStringLiteral("a")); }, box2);
    step(
        "delete_start2", [&] { Key(box2, Qt::Key_Backspace); }, box2);
    box1.setFocus();
    step(
        "ctrl_home1", [&] { Key(box1, Qt::Key_Home, Qt::ControlModifier); }, box1);
    step(
        "type_start1", [&] { Key(box1, Qt::Key_B, {}, QStringLiteral("b")); }, box1);
    step(
        "delete_start1", [&] { Key(box1, Qt::Key_Backspace); }, box1);
    step(
        "page_down1", [&] { Key(box1, Qt::Key_PageDown); }, box1);
    step(
        "ctrl_end1", [&] { Key(box1, Qt::Key_End, Qt::ControlModifier); }, box1);
    step(
        "type_end1", [&] { Key(box1, Qt::Key_B, {}, QStringLiteral("b")); }, box1);
    step(
        "delete_end1", [&] { Key(box1, Qt::Key_Backspace); }, box1);
    step("decrypt", boxes.decrypt, box1);
    // A text just written has no lines found yet: the end is found from its start.
    step(
        "ctrl_end1_fresh", [&] { Key(box1, Qt::Key_End, Qt::ControlModifier); }, box1);
    step(
        "page_up1_fresh", [&] { Key(box1, Qt::Key_PageUp); }, box1);
    // The same after the half second a user takes to reach for the keys.
    Key(box1, Qt::Key_Home, Qt::ControlModifier);
    boxes.decrypt();
    Show(box1);
    for (const auto idle = std::chrono::steady_clock::now();
         std::chrono::steady_clock::now() - idle < std::chrono::milliseconds(500);) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const double beforeIdle = total;
    step(
        "ctrl_end1_after_idle", [&] { Key(box1, Qt::Key_End, Qt::ControlModifier); }, box1);
    total = beforeIdle;  // not part of the round trip
    state.counters["peak_MB"] = PeakMegabytes();
    state.SetIterationTime(total);
  }
}
void RoundTripArguments(benchmark::internal::Benchmark* bench) {
  bench->ArgNames({"MiB", "one_line", "baseline"});
  for (int oneLine : {0, 1}) bench->Args({16, oneLine, 0});
  for (int oneLine : {0, 1}) bench->Args({64, oneLine, 0});
  if (qEnvironmentVariableIsEmpty("BENCH_SKIP_BASELINE")) {
    for (int oneLine : {0, 1}) bench->Args({16, oneLine, 1});
  }
}
BENCHMARK(BM_RoundTrip)
    ->Apply(RoundTripArguments)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

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
