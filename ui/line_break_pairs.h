// Line breaks that follow from the two characters around them alone.
//
// Qt's line breaker looks far along the text around some characters:
// numbers with their signs and separators, quotation marks, opening
// brackets, spaces before certain punctuation. Between the characters sorted
// here its answer depends on the two neighbours only, so a table gives it:
// ideographs, ASCII letters and digits, and the punctuation that never starts
// a line (closing marks, ! and ?, the full-width colon and semicolon, and the
// ASCII , . : ;). Everything else is kOther and asks Qt. A test holds the
// table to Qt's answers for every character sorted here, in random company.
#pragma once

#include <cstdint>

namespace ui {

enum class PairClass : std::uint8_t {
  kOther,
  kIdeograph,
  kLetter,
  kDigit,
  kClosing,
  kExclamation,
  kNonStarter,
  kInfixSeparator,
};

PairClass PairClassOf(char16_t c);

enum class PairBreak : std::uint8_t { kNo, kYes, kAsk };

// Whether a line may break between two characters that are not spaces.
PairBreak BreakBetween(PairClass before, PairClass after);

}  // namespace ui
