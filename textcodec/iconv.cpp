#include "textcodec/iconv.h"

#include <array>
#include <cerrno>

namespace textcodec {

Iconv::Iconv(const char* toCodeset, const char* fromCodeset)
    : cd_(iconv_open(toCodeset, fromCodeset)) {}

Iconv::~Iconv() {
  if (valid()) iconv_close(cd_);
}

Iconv::Stop Iconv::Convert(std::string_view input, std::size_t at, std::string& out) {
  char* in = const_cast<char*>(input.data()) + at;  // iconv never writes through it
  std::size_t inLeft = input.size() - at;
  std::array<char, 4096> chunk;
  int failure = 0;
  while (inLeft > 0) {
    char* outPtr = chunk.data();
    std::size_t outLeft = chunk.size();
    const std::size_t r = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
    out.append(chunk.data(), static_cast<std::size_t>(outPtr - chunk.data()));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      failure = errno;
      break;
    }
  }
  return {static_cast<std::size_t>(in - input.data()), failure};
}

void Iconv::Reset(std::string& out) {
  std::array<char, 64> chunk;
  char* outPtr = chunk.data();
  std::size_t outLeft = chunk.size();
  iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
  out.append(chunk.data(), static_cast<std::size_t>(outPtr - chunk.data()));
}

}  // namespace textcodec
