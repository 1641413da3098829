// Base64DecodeLenient (do-nothing pump) against OpenSSL and Qt, on clean
// ciphertext and on ciphertext wrapped with CR LF every 76 characters.
// Every figure counts the decoded payload, so rows compare directly.
#include <openssl/evp.h>

#include <QByteArray>

#include "bench/bench_inputs.h"
#include "cipher/base64.h"

namespace {

constexpr auto kNoPump = [] {};

QByteArray View(const cipher::Text& text) {
  return QByteArray::fromRawData(text.data(), qsizetype(text.size()));
}

void DecodeOurs(benchmark::State& state, const cipher::Text& (*input)(std::size_t)) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const cipher::Text& text = input(size);
  for (auto _ : state) benchmark::DoNotOptimize(cipher::Base64DecodeLenient(text, kNoPump));
  bench::CountPayload(state, size);
}

void DecodeQt(benchmark::State& state, const cipher::Text& (*input)(std::size_t)) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const QByteArray text = View(input(size));
  for (auto _ : state) benchmark::DoNotOptimize(QByteArray::fromBase64(text));
  bench::CountPayload(state, size);
}

void BM_DecodeOurs(benchmark::State& state) {
  DecodeOurs(state, bench::Encoded);
}
void BM_DecodeQt(benchmark::State& state) {
  DecodeQt(state, bench::Encoded);
}

void BM_DecodeOursPlain(benchmark::State& state) {
  bench::WithPlainKernels([&] { DecodeOurs(state, bench::Encoded); });
}
void BM_DecodeWrappedOursPlain(benchmark::State& state) {
  bench::WithPlainKernels([&] { DecodeOurs(state, bench::EncodedWrapped); });
}

// EVP_DecodeBlock takes unbroken Base64 only; it is the reference for both rows.
void BM_DecodeOpenSsl(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const cipher::Text& text = bench::Encoded(size);
  for (auto _ : state) benchmark::DoNotOptimize(bench::OpenSslDecode(text.data(), text.size()));
  bench::CountPayload(state, size);
}

void BM_DecodeWrappedOurs(benchmark::State& state) {
  DecodeOurs(state, bench::EncodedWrapped);
}
void BM_DecodeWrappedQt(benchmark::State& state) {
  DecodeQt(state, bench::EncodedWrapped);
}

// OpenSSL's streaming decoder is the one of its calls that accepts line breaks.
void BM_DecodeWrappedOpenSslStream(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const cipher::Text& text = bench::EncodedWrapped(size);
  EVP_ENCODE_CTX* context = EVP_ENCODE_CTX_new();
  for (auto _ : state) {
    auto output = std::make_unique_for_overwrite<unsigned char[]>(text.size() / 4 * 3 + 80);
    int length = 0, last = 0;
    EVP_DecodeInit(context);
    EVP_DecodeUpdate(context, output.get(), &length,
                     reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
    EVP_DecodeFinal(context, output.get() + length, &last);
    benchmark::DoNotOptimize(length + last);
    benchmark::ClobberMemory();
  }
  EVP_ENCODE_CTX_free(context);
  bench::CountPayload(state, size);
}

}  // namespace

BENCHMARK(BM_DecodeOurs)->Name("decode/ours")->Apply(bench::PayloadSizes);
BENCHMARK(BM_DecodeOursPlain)->Name("decode/ours_plain")->Apply(bench::PayloadSizes);
BENCHMARK(BM_DecodeOpenSsl)->Name("decode/openssl")->Apply(bench::PayloadSizes);
BENCHMARK(BM_DecodeQt)->Name("decode/qt")->Apply(bench::PayloadSizes);
BENCHMARK(BM_DecodeWrappedOurs)->Name("decode_crlf/ours")->Apply(bench::PayloadSizes);
BENCHMARK(BM_DecodeWrappedOursPlain)->Name("decode_crlf/ours_plain")->Apply(bench::PayloadSizes);
BENCHMARK(BM_DecodeWrappedOpenSslStream)
    ->Name("decode_crlf/openssl_stream")
    ->Apply(bench::PayloadSizes);
BENCHMARK(BM_DecodeWrappedQt)->Name("decode_crlf/qt")->Apply(bench::PayloadSizes);
