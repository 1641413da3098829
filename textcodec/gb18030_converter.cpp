#include "textcodec/gb18030_converter.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "textcodec/gb18030.h"
#include "textcodec/gb18030_sequence.h"
#include "textcodec/iconv.h"
#include "textcodec/utf8.h"

namespace textcodec {
namespace {

// The C library's GB18030 tables take some characters from a later revision
// of the standard; the tool keeps the mapping its ciphertexts have always been
// made with (GB18030-2005 as ICU has it), both ways. Without these the C
// library would write ten vertical forms, eight CJK characters and six
// supplementary ones in other bytes, could not write twenty-four private-use
// characters at all, would read their bytes as other characters or refuse
// them, and would drop U+FEFF as if it were a byte order mark.
struct Mapping {
  char32_t codePoint;
  std::string_view bytes;
};

constexpr std::array<Mapping, 49> kOwnMappings = {{
    {0x9FB4, "\x82\x35\x90\x37"},  {0x9FB5, "\x82\x35\x90\x38"},  {0x9FB6, "\x82\x35\x90\x39"},
    {0x9FB7, "\x82\x35\x91\x30"},  {0x9FB8, "\x82\x35\x91\x31"},  {0x9FB9, "\x82\x35\x91\x32"},
    {0x9FBA, "\x82\x35\x91\x33"},  {0x9FBB, "\x82\x35\x91\x34"},  {0xFE10, "\x84\x31\x82\x36"},
    {0xFE11, "\x84\x31\x82\x37"},  {0xFE12, "\x84\x31\x82\x38"},  {0xFE13, "\x84\x31\x82\x39"},
    {0xFE14, "\x84\x31\x83\x30"},  {0xFE15, "\x84\x31\x83\x31"},  {0xFE16, "\x84\x31\x83\x32"},
    {0xFE17, "\x84\x31\x83\x33"},  {0xFE18, "\x84\x31\x83\x34"},  {0xFE19, "\x84\x31\x83\x35"},
    {0xFEFF, "\x84\x31\x95\x33"},  {0xE78D, "\xA6\xD9"},          {0xE78E, "\xA6\xDA"},
    {0xE78F, "\xA6\xDB"},          {0xE790, "\xA6\xDC"},          {0xE791, "\xA6\xDD"},
    {0xE792, "\xA6\xDE"},          {0xE793, "\xA6\xDF"},          {0xE794, "\xA6\xEC"},
    {0xE795, "\xA6\xED"},          {0xE796, "\xA6\xF3"},          {0xE816, "\xFE\x51"},
    {0xE817, "\xFE\x52"},          {0xE818, "\xFE\x53"},          {0xE81E, "\xFE\x59"},
    {0xE826, "\xFE\x61"},          {0xE82B, "\xFE\x66"},          {0xE82C, "\xFE\x67"},
    {0xE831, "\xFE\x6C"},          {0xE832, "\xFE\x6D"},          {0xE83B, "\xFE\x76"},
    {0xE843, "\xFE\x7E"},          {0xE854, "\xFE\x90"},          {0xE855, "\xFE\x91"},
    {0xE864, "\xFE\xA0"},          {0x20087, "\x95\x32\x90\x31"}, {0x20089, "\x95\x32\x90\x33"},
    {0x200CC, "\x95\x32\x97\x30"}, {0x215D7, "\x95\x36\xB9\x37"}, {0x2298F, "\x96\x30\xBA\x35"},
    {0x241FE, "\x96\x35\xB6\x30"},
}};

// Cheap tests that rule most characters and sequences out of our own mappings.
bool MayHaveOwnMapping(char32_t c) {
  return (c >= 0x9FB4 && c <= 0x9FBB) || (c >= 0xE78D && c <= 0xE864) ||
         (c >= 0xFE10 && c <= 0xFEFF) || (c >= 0x20087 && c <= 0x241FE);
}
bool MayHaveOwnMapping(std::uint8_t lead) {
  return lead == 0x82 || lead == 0x84 || lead == 0x95 || lead == 0x96 || lead == 0xA6 ||
         lead == 0xFE;
}

const Mapping* OwnMappingOf(char32_t c) {
  if (!MayHaveOwnMapping(c)) return nullptr;
  const auto* m = std::find_if(kOwnMappings.begin(), kOwnMappings.end(),
                               [&](const Mapping& m) { return m.codePoint == c; });
  return m == kOwnMappings.end() ? nullptr : m;
}

const Mapping* OwnMappingOf(std::string_view sequence) {
  if (!MayHaveOwnMapping(static_cast<std::uint8_t>(sequence[0]))) return nullptr;
  const auto* m = std::find_if(kOwnMappings.begin(), kOwnMappings.end(),
                               [&](const Mapping& m) { return m.bytes == sequence; });
  return m == kOwnMappings.end() ? nullptr : m;
}

// Converts a piece without a character of our own mappings, each bad UTF-8
// byte as U+FFFD.
void EncodeThroughConverter(Iconv& cd, std::string_view utf8, std::string& out) {
  std::size_t at = 0;
  while (at < utf8.size()) {
    const Iconv::Stop stop = cd.Convert(utf8, at, out);
    cd.Reset(out);
    if (stop.failure == 0) break;
    out += kGb18030ReplacementCharacter;
    at = stop.at + 1;
  }
}

// Converts a run of whole sequences; one the converter cannot map (a
// well-formed four-byte form beyond the last character) becomes U+FFFD.
void DecodeRun(Iconv& cd, std::string_view run, std::string& out) {
  std::size_t at = 0;
  while (at < run.size()) {
    if (!cd.valid()) {
      // ASCII needs no converter.
      const std::uint8_t lead = ByteAt(run, at);
      if (lead < 0x80) {
        out += static_cast<char>(lead);
      } else {
        out += kReplacementCharacter;
      }
      at += Gb18030SequenceAt(run, at).length;
      continue;
    }
    const Iconv::Stop stop = cd.Convert(run, at, out);
    cd.Reset(out);
    if (stop.failure == 0) break;
    out += kReplacementCharacter;
    at = stop.at + Gb18030SequenceAt(run, stop.at).length;
  }
}

}  // namespace

std::optional<std::string> Utf8ToGb18030ThroughConverter(std::string_view utf8,
                                                         std::string_view euroSignBytes) {
  Iconv cd(kGb18030, "UTF-8");
  if (!cd.valid()) return std::nullopt;
  std::string out;
  out.reserve(utf8.size());
  std::size_t pieceStart = 0;
  std::size_t at = 0;
  while (at < utf8.size()) {
    // Every character of our own mappings, and "€", takes three or four bytes.
    const std::optional<Utf8Character> c =
        ByteAt(utf8, at) >= 0xE0 ? Utf8CharacterAt(utf8, at) : std::nullopt;
    if (!c) {
      ++at;
      continue;
    }
    std::string_view bytes;
    if (c->codePoint == kEuroSignCodePoint) {
      bytes = euroSignBytes;
    } else if (const Mapping* own = OwnMappingOf(c->codePoint)) {
      bytes = own->bytes;
    } else {
      at += c->length;
      continue;
    }
    EncodeThroughConverter(cd, utf8.substr(pieceStart, at - pieceStart), out);
    out += bytes;
    at += c->length;
    pieceStart = at;
  }
  EncodeThroughConverter(cd, utf8.substr(pieceStart), out);
  return out;
}

std::string Gb18030ToUtf8ThroughConverter(std::string_view bytes, std::string_view loneByte80) {
  Iconv cd("UTF-8", kGb18030);
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  std::size_t runStart = 0;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::uint8_t lead = ByteAt(bytes, at);
    const Gb18030Sequence sequence = Gb18030SequenceAt(bytes, at);
    const Mapping* own =
        sequence.wellFormed ? OwnMappingOf(bytes.substr(at, sequence.length)) : nullptr;
    if (sequence.wellFormed && own == nullptr) {
      at += sequence.length;
      continue;
    }
    DecodeRun(cd, bytes.substr(runStart, at - runStart), out);
    if (own != nullptr) {
      AppendUtf8(out, own->codePoint);
    } else {
      out += lead == 0x80 ? loneByte80 : kReplacementCharacter;
    }
    at += sequence.length;
    runStart = at;
  }
  DecodeRun(cd, bytes.substr(runStart), out);
  return out;
}

}  // namespace textcodec
