#include "textcodec/gb18030.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "textcodec/chunked_writer.h"
#include "textcodec/gb18030_converter.h"
#include "textcodec/gb18030_sequence.h"
#include "textcodec/gb18030_tables.h"
#include "textcodec/utf8.h"

namespace textcodec {
namespace {

// Where the bytes below 0x80 that begin at `at` end. ASCII is the same in
// UTF-8 and GB18030, and such a byte is a character of its own in both.
std::size_t AsciiRunEnd(std::string_view bytes, std::size_t at) {
  while (at < bytes.size() && ByteAt(bytes, at) < 0x80) ++at;
  return at;
}

void WriteForm(const Gb18030EncodeTable& table, char32_t c, ChunkedWriter& out) {
  char* room = out.Room();
  if (c >= 0x10000) {
    WriteFourByteForm(kFirstSupplementaryForm + (c - 0x10000), room);
    out.Advance(4);
    return;
  }
  const std::array<char, 4>& form = table.forms[c];
  std::memcpy(room, form.data(), 4);
  out.Advance(IsGb18030Digit(static_cast<std::uint8_t>(form[1])) ? 4 : 2);
}

// The character a well-formed sequence of two or four bytes reads as.
char32_t CharacterOf(const Gb18030DecodeTable& table, std::string_view form) {
  if (form.size() == 2) {
    return table.twoByte[Gb18030DecodeTable::TwoByteIndex(ByteAt(form, 0), ByteAt(form, 1))];
  }
  const std::uint32_t index = FourByteFormIndex(form);
  if (index < kFourByteBmpForms) return table.fourByte[index];
  if (index - kFirstSupplementaryForm < 0x110000 - 0x10000) {  // wraps below the first
    return 0x10000 + (index - kFirstSupplementaryForm);
  }
  return U'\uFFFD';
}

void AppendAsUtf8(const Gb18030DecodeTable& table, std::string_view bytes,
                  std::string_view loneByte80, std::string& out) {
  ChunkedWriter writer(out);
  for (std::size_t at = 0; at < bytes.size();) {
    const std::uint8_t lead = ByteAt(bytes, at);
    if (lead < 0x80) {
      const std::size_t runEnd = AsciiRunEnd(bytes, at);
      writer.Write(bytes.substr(at, runEnd - at));
      at = runEnd;
      continue;
    }
    const Gb18030Sequence sequence = Gb18030SequenceAt(bytes, at);
    const std::string_view form = bytes.substr(at, sequence.length);
    at += sequence.length;
    if (!sequence.wellFormed) {
      writer.Write(lead == 0x80 ? loneByte80 : kReplacementCharacter);
      continue;
    }
    char* room = writer.Room();
    writer.Advance(WriteUtf8(CharacterOf(table, form), room));
  }
}

}  // namespace

bool AppendUtf8AsGb18030(std::string_view utf8, std::string_view euroSignBytes, std::string& out) {
  const Gb18030EncodeTable* table = SharedEncodeTable();
  if (table == nullptr) {
    const std::optional<std::string> bytes = Utf8ToGb18030ThroughConverter(utf8, euroSignBytes);
    if (bytes) out += *bytes;
    return bytes.has_value();
  }
  ChunkedWriter writer(out);
  for (std::size_t at = 0; at < utf8.size();) {
    if (ByteAt(utf8, at) < 0x80) {
      const std::size_t runEnd = AsciiRunEnd(utf8, at);
      writer.Write(utf8.substr(at, runEnd - at));
      at = runEnd;
      continue;
    }
    const std::optional<Utf8Character> c = Utf8CharacterAt(utf8, at);
    if (!c) {
      writer.Write(kGb18030ReplacementCharacter);  // one for each byte
      ++at;
      continue;
    }
    if (c->codePoint == kEuroSignCodePoint) {
      writer.Write(euroSignBytes);
    } else {
      WriteForm(*table, c->codePoint, writer);
    }
    at += c->length;
  }
  return true;
}

std::optional<std::string> Utf8ToGb18030(std::string_view utf8, std::string_view euroSignBytes) {
  std::string out;
  out.reserve(utf8.size());
  if (!AppendUtf8AsGb18030(utf8, euroSignBytes, out)) return std::nullopt;
  return out;
}

std::string Gb18030ToUtf8(std::string_view bytes, std::string_view loneByte80) {
  const Gb18030DecodeTable* table = SharedDecodeTable();
  if (table == nullptr) return Gb18030ToUtf8ThroughConverter(bytes, loneByte80);
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  AppendAsUtf8(*table, bytes, loneByte80, out);
  return out;
}

}  // namespace textcodec
