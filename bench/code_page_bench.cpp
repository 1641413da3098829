// The window's code-page bridge (QString to UTF-8 to the shared code-page
// tables and back) beside Qt's own GB18030 converter (ICU), over 1 MiB of
// Chinese text with some ASCII, and over 1 MiB of random bytes (what a wrong
// key gives, full of broken sequences); the tables alone beside the
// converter path they are made from, on the same UTF-8 and bytes; and what
// making the tables costs on first use.
#include <benchmark/benchmark.h>

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <random>

#include "textcodec/gb18030.h"
#include "textcodec/gb18030_converter.h"
#include "textcodec/gb18030_tables.h"
#include "ui/code_page_bridge.h"

namespace {

constexpr qsizetype kBytes = 1 << 20;

const QString& Text() {
  static const QString text = [] {
    const QString line =
        QStringLiteral("这是一段用来测量速度的文本，含有 ASCII words and 数字 12345。\n");
    QString t;
    while (t.size() * 2 < kBytes) t += line;  // about 1 MiB as GB18030
    return t;
  }();
  return text;
}

const cipher::Text& TextBytes() {
  static const cipher::Text bytes = ui::BoxTextToBytes(Text());
  return bytes;
}

const cipher::Text& RandomBytes() {
  static const cipher::Text bytes = [] {
    std::mt19937 random(1);
    cipher::Text b(kBytes, '\0');
    for (char& c : b) c = static_cast<char>(1 + random() % 255);
    return b;
  }();
  return bytes;
}

void BM_BridgeEncode(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ui::BoxTextToBytes(Text()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(TextBytes().size()));
}
BENCHMARK(BM_BridgeEncode)->Unit(benchmark::kMillisecond);

void BM_QtEncode(benchmark::State& state) {
  for (auto _ : state) {
    QStringEncoder encoder("GB18030");
    benchmark::DoNotOptimize(QByteArray(encoder.encode(Text())));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(TextBytes().size()));
}
BENCHMARK(BM_QtEncode)->Unit(benchmark::kMillisecond);

void Decode(benchmark::State& state, const cipher::Text& bytes) {
  for (auto _ : state) benchmark::DoNotOptimize(ui::BytesToBoxText(bytes));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

void QtDecode(benchmark::State& state, const cipher::Text& bytes) {
  for (auto _ : state) {
    QStringDecoder decoder("GB18030");
    benchmark::DoNotOptimize(QString(
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())))));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

void BM_BridgeDecodeText(benchmark::State& state) {
  Decode(state, TextBytes());
}
void BM_QtDecodeText(benchmark::State& state) {
  QtDecode(state, TextBytes());
}
void BM_BridgeDecodeRandomBytes(benchmark::State& state) {
  Decode(state, RandomBytes());
}
void BM_QtDecodeRandomBytes(benchmark::State& state) {
  QtDecode(state, RandomBytes());
}
BENCHMARK(BM_BridgeDecodeText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtDecodeText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BridgeDecodeRandomBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtDecodeRandomBytes)->Unit(benchmark::kMillisecond);

const std::string& TextUtf8() {
  static const std::string utf8 = Text().toStdString();
  return utf8;
}

void BM_TablesEncode(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(textcodec::Utf8ToGb18030(TextUtf8(), "\x80"));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(TextBytes().size()));
}
void BM_ConverterEncode(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(textcodec::Utf8ToGb18030ThroughConverter(TextUtf8(), "\x80"));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(TextBytes().size()));
}
BENCHMARK(BM_TablesEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConverterEncode)->Unit(benchmark::kMillisecond);

template <std::string (*decode)(std::string_view, std::string_view)>
void CodePageDecode(benchmark::State& state, const cipher::Text& bytes) {
  for (auto _ : state) benchmark::DoNotOptimize(decode(bytes, "€"));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
void BM_TablesDecodeText(benchmark::State& state) {
  CodePageDecode<textcodec::Gb18030ToUtf8>(state, TextBytes());
}
void BM_ConverterDecodeText(benchmark::State& state) {
  CodePageDecode<textcodec::Gb18030ToUtf8ThroughConverter>(state, TextBytes());
}
void BM_TablesDecodeRandomBytes(benchmark::State& state) {
  CodePageDecode<textcodec::Gb18030ToUtf8>(state, RandomBytes());
}
void BM_ConverterDecodeRandomBytes(benchmark::State& state) {
  CodePageDecode<textcodec::Gb18030ToUtf8ThroughConverter>(state, RandomBytes());
}
BENCHMARK(BM_TablesDecodeText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConverterDecodeText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TablesDecodeRandomBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConverterDecodeRandomBytes)->Unit(benchmark::kMillisecond);

void BM_MakeEncodeTable(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(textcodec::MakeEncodeTable());
}
void BM_MakeDecodeTable(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(textcodec::MakeDecodeTable());
}
BENCHMARK(BM_MakeEncodeTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeDecodeTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
