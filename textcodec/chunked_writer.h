// Appends to a string a few bytes at a time through a small buffer, so that
// a character costs a few stores rather than a call to std::string::append.
// What is in the buffer reaches the string when the writer goes.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace textcodec {

class ChunkedWriter {
 public:
  explicit ChunkedWriter(std::string& out) : out_(out) {}
  ~ChunkedWriter() { Flush(); }
  ChunkedWriter(const ChunkedWriter&) = delete;
  ChunkedWriter& operator=(const ChunkedWriter&) = delete;

  // Room for four bytes; Advance(n) keeps the first n written there.
  char* Room() {
    if (used_ > kChunk) Flush();
    return buffer_ + used_;
  }
  void Advance(std::size_t n) { used_ += n; }

  void Write(std::string_view bytes) {
    if (bytes.size() > sizeof buffer_ - used_) {
      Flush();
      if (bytes.size() > kChunk) {
        out_.append(bytes);
        return;
      }
    }
    std::memcpy(buffer_ + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }

 private:
  void Flush() {
    out_.append(buffer_, used_);
    used_ = 0;
  }

  static constexpr std::size_t kChunk = 4096;
  std::string& out_;
  char buffer_[kChunk + 4];
  std::size_t used_ = 0;  // never more than sizeof buffer_
};

}  // namespace textcodec
