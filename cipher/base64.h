// Standard padded Base64 out; a decoder in that never refuses input and
// turns any text into bytes by fixed rules.
#pragma once

#include <string_view>

#include "cipher/types.h"

namespace cipher {

inline constexpr std::string_view Base64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Padded with "=", no line breaks; 4 characters per started group of 3 bytes.
Text Base64Encode(const ByteBuffer& bytes);

// Both cleaners walk the text in character units: a byte of 0x80 and up
// forms a unit with the byte after it, so a trail byte is never matched alone.
//
// Drops spaces, full-width spaces (A1 A1) and a byte of 0x80 and up left
// alone at the end.
Text RemoveAllSpaces(const Text& text);
// Drops every CR LF pair in one pass; pairs formed by a removal stay.
Text RemoveAllCrLf(const Text& text);

// Cleans the text with both cleaners, then decodes it in groups of four:
// each group yields three bytes, a byte outside the alphabet ends its
// group's lookup and stands in for a value, and only the last group's stop
// decides how much comes off the end. The pump is told about every group
// once that group's bytes are appended. The text must stay alive and
// unchanged for the whole call; the pump may run anything else, this
// decoder included, since all working state lives in this call.
ByteBuffer Base64DecodeLenient(const Text& text, PumpPendingEvents pump);

}  // namespace cipher
