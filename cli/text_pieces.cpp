#include "cli/text_pieces.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <string>

namespace cli {
namespace {

bool StartsUtf8Character(std::uint8_t b) {
  return b < 0x80 || b >= 0xC0;
}

}  // namespace

std::size_t LastSafeCut(std::string_view bytes, std::size_t from, bool utf8) {
  for (std::size_t at = bytes.size(); at > from; --at) {
    const auto before = static_cast<std::uint8_t>(bytes[at - 1]);
    if (before < 0x30 && before != '\r') return at;
    if (utf8 && at < bytes.size() && before != '\r' &&
        StartsUtf8Character(static_cast<std::uint8_t>(bytes[at]))) {
      return at;
    }
  }
  return 0;
}

std::optional<SystemError> ReadInPieces(int fd, bool utf8, std::size_t pieceBytes,
                                        const PieceHandler& onPiece) {
  std::string pending;
  std::size_t offset = 0;    // of pending's first byte in the input
  std::size_t searched = 0;  // no cut lies before this in pending
  std::array<char, 65536> chunk;
  for (;;) {
    const ssize_t n = read(fd, chunk.data(), chunk.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return SystemError{errno};
    }
    if (n == 0) break;
    pending.append(chunk.data(), static_cast<std::size_t>(n));
    if (pending.size() < pieceBytes) continue;
    const std::size_t cut = LastSafeCut(pending, searched, utf8);
    if (cut == 0) {
      searched = pending.size() - 1;  // the UTF-8 rule looks one byte back
      continue;
    }
    if (!onPiece(std::string_view(pending).substr(0, cut), offset)) return std::nullopt;
    offset += cut;
    pending.erase(0, cut);
    searched = 0;
  }
  if (!pending.empty()) onPiece(pending, offset);
  return std::nullopt;
}

}  // namespace cli
