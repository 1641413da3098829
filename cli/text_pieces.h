// Reading a text in pieces that each convert on their own exactly as they
// would within the whole text: a piece never ends inside a character, inside
// a CR LF pair or inside another line break.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

#include "cli/file_io.h"

namespace cli {

// The last place in bytes[from, end] where the text may be cut, or 0 for
// none. A cut may follow a byte below 0x30 other than CR: such a byte is
// never part of a multi-byte character in GB18030 or in any other encoding
// a locale uses. In UTF-8 a cut may also come before any byte that starts a
// character, unless a CR comes before it.
std::size_t LastSafeCut(std::string_view bytes, std::size_t from, bool utf8);

// Reads fd to its end and hands on the text in pieces of about pieceBytes,
// each with the offset of its first byte; a piece grows past pieceBytes only
// while it holds no place to cut. onPiece returns false to stop reading.
using PieceHandler = std::function<bool(std::string_view piece, std::size_t offset)>;
std::optional<SystemError> ReadInPieces(int fd, bool utf8, std::size_t pieceBytes,
                                        const PieceHandler& onPiece);

}  // namespace cli
