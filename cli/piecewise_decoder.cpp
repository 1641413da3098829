#include "cli/piecewise_decoder.h"

#include <algorithm>

#include "cipher/base64.h"

namespace cli {
namespace {

bool InAlphabet(char c) {
  return cipher::Base64Alphabet.find(c) != std::string_view::npos;
}

// A cut needs this many alphabet characters in a row: two to be sure the cut
// starts a character unit, up to three to reach a group boundary, four for
// a whole group before the cut and one after it.
constexpr std::size_t kRunForCut = 10;

}  // namespace

// The decoder's state between groups is its four slots and where the last
// group stopped. After a group of four alphabet characters that state is
// those characters' values, which the same four characters, decoded first,
// give again: so the text after such a group decodes as a text of its own
// that starts with that group, less the group's three bytes. A cut is made
// only where cleaning the two sides apart gives what cleaning the whole
// gives: after two bytes below 0x80 (so the cut starts a character unit) and
// before an alphabet character (so no CR LF pair and no unit spans it).
PiecewiseDecoder::PiecewiseDecoder(std::size_t holdBytes) : holdBytes_(holdBytes) {}

std::size_t PiecewiseDecoder::FindCut() const {
  std::size_t run = 0;
  for (std::size_t end = pending_.size(); end > searchedFrom_; --end) {
    run = InAlphabet(pending_[end - 1]) ? run + 1 : 0;
    if (run < kRunForCut) continue;
    const std::size_t start = end - 1;  // the run is pending_[start, start + kRunForCut)
    const std::size_t unitStart = start + 2;
    const std::string_view before = std::string_view(pending_).substr(0, unitStart);
    const std::size_t cleaned =
        cipher::RemoveAllCrLf(cipher::RemoveAllSpaces(cipher::Text(before))).size();
    return unitStart + (4 - cleaned % 4) % 4 + 4;
  }
  return 0;
}

void PiecewiseDecoder::DecodeUpTo(std::size_t cut, cipher::ByteBuffer& out) {
  const cipher::Text text = lastGroup_ + pending_.substr(0, cut);
  cipher::ByteBuffer decoded = cipher::Base64DecodeLenient(text, [] {});
  // Its last three bytes come again first from the next part. The cut ends
  // in a whole group of four alphabet characters, so there are three.
  decoded.resize(decoded.size() - std::min<std::size_t>(3, decoded.size()));
  out.insert(out.end(), decoded.begin(), decoded.end());
  lastGroup_ = pending_.substr(cut - 4, 4);
  pending_.erase(0, cut);
  searchedFrom_ = 0;
}

void PiecewiseDecoder::Add(std::string_view text, cipher::ByteBuffer& out) {
  pending_ += text;
  if (pending_.size() < searchedFrom_ + holdBytes_) return;
  if (const std::size_t cut = FindCut(); cut > 0) {
    DecodeUpTo(cut, out);
  } else {
    // A run can straddle the end, so the next search looks back a little.
    searchedFrom_ = pending_.size() - std::min(pending_.size(), kRunForCut - 1);
  }
}

void PiecewiseDecoder::Finish(cipher::ByteBuffer& out) {
  const cipher::ByteBuffer decoded = cipher::Base64DecodeLenient(lastGroup_ + pending_, [] {});
  out.insert(out.end(), decoded.begin(), decoded.end());
  pending_.clear();
  lastGroup_.clear();
  searchedFrom_ = 0;
}

}  // namespace cli
