// Inputs shared by the benchmarks (random payloads, their ciphertext, the
// same ciphertext wrapped at 76 characters, the sizes every benchmark runs),
// and the peers written as drop-in equivalents of our calls.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "cipher/base64_kernels.h"
#include "cipher/types.h"

namespace bench {

// 64 B, 4 KiB, 1 MiB and 16 MiB of payload.
void PayloadSizes(benchmark::internal::Benchmark* b);

// Random bytes, the same for a given size in every benchmark.
const cipher::ByteBuffer& Payload(std::size_t size);
// The payload as random printable text without zero bytes (for EncryptText).
const cipher::Text& PayloadText(std::size_t size);
// Padded Base64 of Payload(size), no line breaks.
const cipher::Text& Encoded(std::size_t size);
// Encoded(size) with CR LF after every 76 characters, as mail and PEM wrap it.
const cipher::Text& EncodedWrapped(std::size_t size);
// The ciphertext EncryptText gives for PayloadText(size) under Key().
const cipher::Text& Sealed(std::size_t size);
const cipher::Text& Key();

// Counts the payload, so that ours and a peer's figures compare directly.
inline void CountPayload(benchmark::State& state, std::size_t size) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// Runs a benchmark body with the plain kernels forced, as on a CPU without
// vector units, then goes back to the best the CPU runs.
template <class Body>
void WithPlainKernels(Body body) {
  const cipher::base64_detail::ScopedKernels plain(cipher::base64_detail::KernelSet::kPlain);
  body();
}

// OpenSSL's calls wrapped the way a caller would use them in place of ours:
// each call returns its own result, as ours do. The buffer is left
// uninitialised, which spares the peer the zeroing that ours pays.
using OwnedBytes = std::unique_ptr<unsigned char[]>;
OwnedBytes OpenSslRc4(const unsigned char* input, std::size_t size, const cipher::Text& key);
OwnedBytes OpenSslEncode(const unsigned char* input, std::size_t size);
OwnedBytes OpenSslDecode(const char* text, std::size_t size);

}  // namespace bench
