// One iconv descriptor of the C library, owned.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace textcodec {

class Iconv {
 public:
  Iconv(const char* toCodeset, const char* fromCodeset);
  ~Iconv();
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // False when the C library knows one of the two encodings not.
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  struct Stop {
    std::size_t at;  // where in the input the conversion stopped
    int failure;     // errno's value there: 0 at the end, EILSEQ or EINVAL
  };

  // Converts input from `at` on, appending to out, until the input ends or a
  // sequence fails.
  Stop Convert(std::string_view input, std::size_t at, std::string& out);

  // Ends any shift state so that the next call starts afresh.
  void Reset(std::string& out);

 private:
  iconv_t cd_;
};

}  // namespace textcodec
