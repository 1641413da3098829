#include "textcodec/gb18030_tables.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "textcodec/gb18030.h"
#include "textcodec/gb18030_converter.h"
#include "textcodec/iconv.h"
#include "textcodec/utf8.h"

namespace textcodec {
namespace {

// Converts `count` inputs (write(i, s) appends the i-th to s) and hands
// take(i, piece) what each became; take says whether the piece fits the
// table. Each input is followed by an LF, which no GB18030 sequence and no
// UTF-8 character holds and no broken sequence takes with it, so the result
// is cut at the LFs. The converter gets a block of inputs at a time, which
// keeps its buffers small enough to be reused rather than mapped afresh.
template <class Write, class Convert, class Take>
bool ConvertEach(std::size_t count, Write write, Convert convert, Take take) {
  constexpr std::size_t kBlock = 2048;
  std::string inputs;
  for (std::size_t first = 0; first < count; first += kBlock) {
    const std::size_t end = std::min(count, first + kBlock);
    inputs.clear();
    for (std::size_t i = first; i < end; ++i) {
      write(i, inputs);
      inputs += '\n';
    }
    const std::optional<std::string> result = convert(inputs);
    if (!result) return false;
    std::size_t at = 0;
    for (std::size_t i = first; i < end; ++i) {
      const std::size_t lf = result->find('\n', at);
      if (lf == std::string::npos || !take(i, std::string_view(*result).substr(at, lf - at))) {
        return false;
      }
      at = lf + 1;
    }
  }
  return true;
}

bool IsSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

bool IsOneSequence(std::string_view bytes) {
  if (bytes.size() < 2) return false;
  const Gb18030Sequence sequence = Gb18030SequenceAt(bytes, 0);
  return sequence.wellFormed && sequence.length == bytes.size();
}

// The character of the Basic Multilingual Plane that `text` is, if it is one.
std::optional<char16_t> OneBmpCharacter(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const std::optional<Utf8Character> c = Utf8CharacterAt(text, 0);
  if (!c || c->length != text.size() || c->codePoint >= 0x10000) return std::nullopt;
  return static_cast<char16_t>(c->codePoint);
}

}  // namespace

std::unique_ptr<Gb18030EncodeTable> MakeEncodeTable() {
  auto table = std::make_unique<Gb18030EncodeTable>();
  const bool made = ConvertEach(
      0x10000,
      [](std::size_t c, std::string& s) {
        if (c >= 0x80 && !IsSurrogate(static_cast<char32_t>(c)))
          AppendUtf8(s, static_cast<char32_t>(c));
      },
      [](std::string_view s) { return Utf8ToGb18030ThroughConverter(s, kGb18030EuroSign); },
      [&](std::size_t c, std::string_view form) {
        if (c < 0x80 || IsSurrogate(static_cast<char32_t>(c))) return form.empty();
        if (!IsOneSequence(form)) return false;
        form.copy(table->forms[c].data(), form.size());
        return true;
      });
  return made ? std::move(table) : nullptr;
}

std::unique_ptr<Gb18030DecodeTable> MakeDecodeTable() {
  // Without a converter the converter path still reads ASCII and our own
  // mappings, and this table would hold nothing else.
  if (!Iconv("UTF-8", kGb18030).valid()) return nullptr;
  const auto convert = [](std::string_view s) -> std::optional<std::string> {
    return Gb18030ToUtf8ThroughConverter(s, kReplacementCharacter);
  };
  auto table = std::make_unique<Gb18030DecodeTable>();
  constexpr std::size_t kTrails = Gb18030DecodeTable::kTrails;
  const auto trailOf = [](std::size_t i) { return static_cast<std::uint8_t>(0x40 + i % kTrails); };
  const bool made =
      ConvertEach(
          table->twoByte.size(),
          [&](std::size_t i, std::string& s) {
            if (!IsGb18030TwoByteTrail(trailOf(i))) return;
            s += {static_cast<char>(0x81 + i / kTrails), static_cast<char>(trailOf(i))};
          },
          convert,
          [&](std::size_t i, std::string_view text) {
            if (!IsGb18030TwoByteTrail(trailOf(i))) return text.empty();
            const std::optional<char16_t> c = OneBmpCharacter(text);
            if (c) table->twoByte[i] = *c;
            return c.has_value();
          }) &&
      ConvertEach(
          table->fourByte.size(),
          [](std::size_t i, std::string& s) {
            char form[4];
            WriteFourByteForm(static_cast<std::uint32_t>(i), form);
            s.append(form, 4);
          },
          convert,
          [&](std::size_t i, std::string_view text) {
            const std::optional<char16_t> c = OneBmpCharacter(text);
            if (c) table->fourByte[i] = *c;
            return c.has_value();
          });
  return made ? std::move(table) : nullptr;
}

const Gb18030EncodeTable* SharedEncodeTable() {
  static const std::unique_ptr<const Gb18030EncodeTable> table = MakeEncodeTable();
  return table.get();
}

const Gb18030DecodeTable* SharedDecodeTable() {
  static const std::unique_ptr<const Gb18030DecodeTable> table = MakeDecodeTable();
  return table.get();
}

}  // namespace textcodec
