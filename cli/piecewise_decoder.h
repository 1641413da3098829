// The lenient decoder fed a piece at a time, for a ciphertext read while it
// arrives: the bytes come out as the whole text would give them, while only
// a bounded part of the text is held.
#pragma once

#include <cstddef>
#include <string_view>

#include "cipher/types.h"

namespace cli {

class PiecewiseDecoder {
 public:
  // Text is decoded once about `holdBytes` of it are waiting.
  explicit PiecewiseDecoder(std::size_t holdBytes = std::size_t{1} << 20);

  // Takes the next part of the text, cut anywhere; appends the decoded bytes
  // that no later text can change.
  void Add(std::string_view text, cipher::ByteBuffer& out);
  // The text has ended: appends the rest.
  void Finish(cipher::ByteBuffer& out);

 private:
  std::size_t FindCut() const;
  void DecodeUpTo(std::size_t cut, cipher::ByteBuffer& out);

  std::size_t holdBytes_;
  cipher::Text pending_;          // not decoded yet; starts where a group starts
  cipher::Text lastGroup_;        // the last group decoded: four alphabet characters
  std::size_t searchedFrom_ = 0;  // no cut lies before this in pending_
};

}  // namespace cli
