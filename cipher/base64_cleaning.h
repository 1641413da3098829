// The cleaners' fast path, shared by the decoder and held to the two
// cleaners by the tests.
#pragma once

#include <string_view>

#include "cipher/types.h"

namespace cipher::base64_detail {

// What RemoveAllCrLf(RemoveAllSpaces(text)) gives, without the copies in
// between; texts without bytes of 0x80 and up take a fast path.
Text CleanForDecoding(std::string_view text);
// The fast path alone, appending to `out`; false (and `out` unfinished) as
// soon as it meets a byte of 0x80 and up.
bool AppendCleanedSingleByteText(std::string_view text, Text& out);

}  // namespace cipher::base64_detail
