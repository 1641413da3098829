// The code page's tables, made once, on first use, from the converter path
// (gb18030_converter.h), so that they give its bytes and its text by
// construction: each table entry is what the converter gives for that one
// character or sequence. Four-byte forms of U+10000 to U+10FFFF follow
// GB18030's linear order (gb18030_sequence.h) and need no table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "textcodec/gb18030_sequence.h"

namespace textcodec {

// The GB18030 form of every character from U+0080 to U+FFFF but the
// surrogates, with "€" as A2 E3: two or four bytes (IsGb18030Digit of the
// second byte tells which), zeros after a two-byte form.
struct Gb18030EncodeTable {
  std::array<std::array<char, 4>, 0x10000> forms;
};

// The character each well-formed two-byte sequence and each four-byte form
// of the Basic Multilingual Plane reads as; U+FFFD where the converter maps
// none.
struct Gb18030DecodeTable {
  static constexpr std::size_t kTrails = 0xFF - 0x40;  // 0x40 to 0xFE, 0x7F unused
  static std::size_t TwoByteIndex(std::uint8_t lead, std::uint8_t trail) {
    return (lead - 0x81u) * kTrails + (trail - 0x40u);
  }
  std::array<char16_t, (0xFF - 0x81) * kTrails> twoByte;
  std::array<char16_t, kFourByteBmpForms> fourByte;
};

// nullptr when there is no table: the C library has no GB18030 converter,
// or its converter gives some character or sequence more than the table can
// hold (one sequence, one character of the Basic Multilingual Plane). The
// converter path serves then. Safe to call from any thread.
const Gb18030EncodeTable* SharedEncodeTable();
const Gb18030DecodeTable* SharedDecodeTable();

// A table made afresh, as the shared ones are made once (the benchmarks
// time it); nullptr as above.
std::unique_ptr<Gb18030EncodeTable> MakeEncodeTable();
std::unique_ptr<Gb18030DecodeTable> MakeDecodeTable();

}  // namespace textcodec
