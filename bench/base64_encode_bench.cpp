// Base64Encode against OpenSSL's EVP_EncodeBlock and QByteArray::toBase64.
#include <QByteArray>

#include "bench/bench_inputs.h"
#include "cipher/base64.h"

namespace {

void BM_EncodeOurs(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const cipher::ByteBuffer& input = bench::Payload(size);
  for (auto _ : state) benchmark::DoNotOptimize(cipher::Base64Encode(input));
  bench::CountPayload(state, size);
}

void BM_EncodeOursPlain(benchmark::State& state) {
  bench::WithPlainKernels([&] { BM_EncodeOurs(state); });
}

void BM_EncodeOpenSsl(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const cipher::ByteBuffer& input = bench::Payload(size);
  for (auto _ : state) benchmark::DoNotOptimize(bench::OpenSslEncode(input.data(), size));
  bench::CountPayload(state, size);
}

void BM_EncodeQt(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const cipher::ByteBuffer& input = bench::Payload(size);
  const QByteArray view =
      QByteArray::fromRawData(reinterpret_cast<const char*>(input.data()), qsizetype(size));
  for (auto _ : state) benchmark::DoNotOptimize(view.toBase64());
  bench::CountPayload(state, size);
}

}  // namespace

BENCHMARK(BM_EncodeOurs)->Name("encode/ours")->Apply(bench::PayloadSizes);
BENCHMARK(BM_EncodeOursPlain)->Name("encode/ours_plain")->Apply(bench::PayloadSizes);
BENCHMARK(BM_EncodeOpenSsl)->Name("encode/openssl")->Apply(bench::PayloadSizes);
BENCHMARK(BM_EncodeQt)->Name("encode/qt")->Apply(bench::PayloadSizes);
