#include "bench/bench_inputs.h"

#include <openssl/evp.h>
#include <openssl/rc4.h>

#include <map>
#include <random>

#include "cipher/base64.h"
#include "cipher/text_cipher.h"

namespace bench {
namespace {

template <class Make>
const auto& Cached(std::size_t size, Make make) {
  static std::map<std::size_t, decltype(make())> cache;
  auto it = cache.find(size);
  if (it == cache.end()) it = cache.emplace(size, make()).first;
  return it->second;
}

}  // namespace

void PayloadSizes(benchmark::internal::Benchmark* b) {
  b->Arg(64)->Arg(4 << 10)->Arg(1 << 20)->Arg(16 << 20);
}

const cipher::ByteBuffer& Payload(std::size_t size) {
  return Cached(size, [size] {
    std::mt19937_64 random(size);
    cipher::ByteBuffer bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
  });
}

const cipher::Text& PayloadText(std::size_t size) {
  return Cached(size, [size] {
    std::mt19937_64 random(size + 1);
    cipher::Text text(size, ' ');
    for (char& c : text) c = static_cast<char>(0x20 + random() % 0x5F);
    return text;
  });
}

const cipher::Text& Encoded(std::size_t size) {
  return Cached(size, [size] { return cipher::Base64Encode(Payload(size)); });
}

const cipher::Text& EncodedWrapped(std::size_t size) {
  return Cached(size, [size] {
    const cipher::Text& encoded = Encoded(size);
    cipher::Text wrapped;
    for (std::size_t i = 0; i < encoded.size(); i += 76) {
      wrapped.append(encoded, i, 76);
      wrapped += "\r\n";
    }
    return wrapped;
  });
}

const cipher::Text& Key() {
  static const cipher::Text key = "\xC3\xDC\xD4\xBF-benchmark-key";
  return key;
}

const cipher::Text& Sealed(std::size_t size) {
  return Cached(size, [size] {
    return std::get<cipher::Text>(cipher::EncryptText(PayloadText(size), Key()));
  });
}

OwnedBytes OpenSslRc4(const unsigned char* input, std::size_t size, const cipher::Text& key) {
  auto output = std::make_unique_for_overwrite<unsigned char[]>(size);
  RC4_KEY schedule;
  RC4_set_key(&schedule, int(key.size()), reinterpret_cast<const unsigned char*>(key.data()));
  RC4(&schedule, size, input, output.get());
  return output;
}

OwnedBytes OpenSslEncode(const unsigned char* input, std::size_t size) {
  auto output = std::make_unique_for_overwrite<unsigned char[]>((size + 2) / 3 * 4 + 1);
  EVP_EncodeBlock(output.get(), input, int(size));
  return output;
}

OwnedBytes OpenSslDecode(const char* text, std::size_t size) {
  auto output = std::make_unique_for_overwrite<unsigned char[]>(size / 4 * 3 + 3);
  EVP_DecodeBlock(output.get(), reinterpret_cast<const unsigned char*>(text), int(size));
  return output;
}

}  // namespace bench
