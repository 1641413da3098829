// EncryptText and DecryptText against the same pipelines built from OpenSSL
// calls: RC4 then EVP_EncodeBlock, and EVP_DecodeBlock then RC4.
#include "bench/bench_inputs.h"
#include "cipher/text_cipher.h"

namespace {

constexpr auto kNoPump = [] {};

void BM_EncryptOurs(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const cipher::Text& plaintext = bench::PayloadText(size);
  for (auto _ : state) benchmark::DoNotOptimize(cipher::EncryptText(plaintext, bench::Key()));
  bench::CountPayload(state, size);
}

void BM_EncryptOpenSsl(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const cipher::Text& plaintext = bench::PayloadText(size);
  for (auto _ : state) {
    const bench::OwnedBytes cipherBytes = bench::OpenSslRc4(
        reinterpret_cast<const unsigned char*>(plaintext.data()), size, bench::Key());
    benchmark::DoNotOptimize(bench::OpenSslEncode(cipherBytes.get(), size));
  }
  bench::CountPayload(state, size);
}

void BM_DecryptOurs(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const cipher::Text& ciphertext = bench::Sealed(size);
  const auto readKey = [] { return bench::Key(); };
  for (auto _ : state) benchmark::DoNotOptimize(cipher::DecryptText(ciphertext, readKey, kNoPump));
  bench::CountPayload(state, size);
}

void BM_DecryptOpenSsl(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const cipher::Text& ciphertext = bench::Sealed(size);
  for (auto _ : state) {
    const bench::OwnedBytes decoded = bench::OpenSslDecode(ciphertext.data(), ciphertext.size());
    benchmark::DoNotOptimize(bench::OpenSslRc4(decoded.get(), size, bench::Key()));
  }
  bench::CountPayload(state, size);
}

}  // namespace

BENCHMARK(BM_EncryptOurs)->Name("encrypt/ours")->Apply(bench::PayloadSizes);
BENCHMARK(BM_EncryptOpenSsl)->Name("encrypt/openssl")->Apply(bench::PayloadSizes);
BENCHMARK(BM_DecryptOurs)->Name("decrypt/ours")->Apply(bench::PayloadSizes);
BENCHMARK(BM_DecryptOpenSsl)->Name("decrypt/openssl")->Apply(bench::PayloadSizes);
