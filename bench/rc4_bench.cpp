// Rc4Transform against OpenSSL's RC4, the key scheduled on every call in both.

#include "bench/bench_inputs.h"
#include "cipher/rc4.h"

namespace {

void BM_Rc4Ours(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const cipher::ByteBuffer& input = bench::Payload(size);
  for (auto _ : state) benchmark::DoNotOptimize(cipher::Rc4Transform(input, bench::Key()));
  bench::CountPayload(state, size);
}

void BM_Rc4OpenSsl(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const cipher::ByteBuffer& input = bench::Payload(size);
  for (auto _ : state)
    benchmark::DoNotOptimize(bench::OpenSslRc4(input.data(), size, bench::Key()));
  bench::CountPayload(state, size);
}

}  // namespace

BENCHMARK(BM_Rc4Ours)->Name("rc4/ours")->Apply(bench::PayloadSizes);
BENCHMARK(BM_Rc4OpenSsl)->Name("rc4/openssl")->Apply(bench::PayloadSizes);
