// The RC4 core behind Rc4Transform, for callers that already hold the input
// as raw bytes or want the output as text, so no extra copy is made.
#pragma once

#include <cstdint>
#include <string_view>

#include "cipher/types.h"

namespace cipher::rc4_detail {

// Replaces out with input XOR the keystream of key (a fresh state per call).
void Rc4Into(const std::uint8_t* input, std::size_t size, std::string_view key, ByteBuffer& out);
void Rc4Into(const std::uint8_t* input, std::size_t size, std::string_view key, Text& out);

}  // namespace cipher::rc4_detail
