#include "cli/codeset_conversion.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <utility>

namespace cli {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Owns one iconv descriptor.
class IconvDescriptor {
 public:
  IconvDescriptor(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~IconvDescriptor() {
    if (valid()) iconv_close(cd_);
  }
  IconvDescriptor(const IconvDescriptor&) = delete;
  IconvDescriptor& operator=(const IconvDescriptor&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts from `at` on, appending to out, until the input ends or a
  // sequence fails; returns where it stopped and errno's value (0 at the end).
  std::pair<std::size_t, int> Convert(std::string_view input, std::size_t at, std::string& out) {
    char* in = const_cast<char*>(input.data()) + at;
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

  // Ends any shift state so that the next call starts afresh.
  void Reset(std::string& out) {
    std::array<char, 64> chunk;
    char* outPtr = chunk.data();
    std::size_t outLeft = chunk.size();
    iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
    out.append(chunk.data(), static_cast<std::size_t>(outPtr - chunk.data()));
  }

 private:
  iconv_t cd_;
};

std::uint8_t ByteAt(std::string_view bytes, std::size_t i) {
  return static_cast<std::uint8_t>(bytes[i]);
}

bool IsLead(std::uint8_t b) {
  return b >= 0x81 && b <= 0xFE;
}
bool IsDigit(std::uint8_t b) {
  return b >= 0x30 && b <= 0x39;
}

// How many bytes one U+FFFD stands for when decoding fails at `at`: the
// bytes that belong to the broken sequence, never a following ASCII byte.
// At the end of the input only the lead byte goes.
std::size_t MalformedLength(std::string_view bytes, std::size_t at) {
  const std::size_t left = bytes.size() - at;
  if (!IsLead(ByteAt(bytes, at)) || left < 2) return 1;
  const std::uint8_t second = ByteAt(bytes, at + 1);
  if (!IsDigit(second)) return second < 0x80 ? 1 : 2;
  if (left < 4 || !IsLead(ByteAt(bytes, at + 2)) || !IsDigit(ByteAt(bytes, at + 3))) return 1;
  return 4;  // well formed but mapped to nothing
}

}  // namespace

ConversionResult ConvertStrict(std::string_view input, const std::string& fromCodeset,
                               const std::string& toCodeset) {
  ConversionResult result;
  IconvDescriptor cd(toCodeset, fromCodeset);
  if (!cd.valid()) {
    result.error = ConversionError::kUnsupportedCodeset;
    return result;
  }
  const auto [stop, failure] = cd.Convert(input, 0, result.bytes);
  if (failure != 0) {
    result.error = ConversionError::kInvalidInput;
    result.errorOffset = stop;
    return result;
  }
  cd.Reset(result.bytes);
  return result;
}

std::string DecodeGb18030Lenient(std::string_view bytes) {
  std::string out;
  IconvDescriptor cd("UTF-8", kToolCodeset);
  if (!cd.valid()) {
    // Without the converter module nothing can be decoded; keep ASCII and
    // mark everything else, so the result is still valid UTF-8.
    for (char c : bytes) {
      if (static_cast<std::uint8_t>(c) < 0x80) {
        out += c;
      } else {
        out += kReplacementCharacter;
      }
    }
    return out;
  }
  out.reserve(bytes.size() * 3 / 2);
  std::size_t at = 0;
  while (at < bytes.size()) {
    const auto [stop, failure] = cd.Convert(bytes, at, out);
    if (failure == 0) break;
    out += kReplacementCharacter;
    // A sequence cut off by the end of the input loses its lead byte only,
    // as the window shows it: the bytes after the lead are decoded again.
    at = stop + MalformedLength(bytes, stop);
    cd.Reset(out);
  }
  return out;
}

bool IsUtf8Codeset(std::string_view codeset) {
  std::string folded;
  for (char c : codeset) {
    if (c != '-' && c != '_') folded += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  }
  return folded == "UTF8";
}

}  // namespace cli
