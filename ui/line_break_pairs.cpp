#include "ui/line_break_pairs.h"

namespace ui {

PairClass PairClassOf(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return PairClass::kLetter;
  if (c >= u'0' && c <= u'9') return PairClass::kDigit;
  if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF)) return PairClass::kIdeograph;
  switch (c) {
    case u'、':
    case u'。':
    case u'〉':
    case u'》':
    case u'」':
    case u'』':
    case u'】':
    case u'）':
    case u'，':
    case u'．':
      return PairClass::kClosing;
    case u'!':
    case u'?':
    case u'！':
    case u'？':
      return PairClass::kExclamation;
    case u'：':
    case u'；':
      return PairClass::kNonStarter;
    case u',':
    case u'.':
    case u':':
    case u';':
      return PairClass::kInfixSeparator;
    default:
      return PairClass::kOther;
  }
}

PairBreak BreakBetween(PairClass before, PairClass after) {
  if (before == PairClass::kOther || after == PairClass::kOther) return PairBreak::kAsk;
  // Punctuation that never starts a line.
  switch (after) {
    case PairClass::kClosing:
    case PairClass::kExclamation:
    case PairClass::kNonStarter:
    case PairClass::kInfixSeparator:
      return PairBreak::kNo;
    default:
      break;
  }
  const bool afterIsWordPart = after == PairClass::kLetter || after == PairClass::kDigit;
  switch (before) {
    case PairClass::kLetter:
    case PairClass::kDigit:
      // Letters and digits hold together; an ideograph may follow on a new line.
      return afterIsWordPart ? PairBreak::kNo : PairBreak::kYes;
    case PairClass::kInfixSeparator:
      // "a.b" holds together and "。中" may break there; whether a digit
      // may start a line after one depends on the number before it.
      if (after == PairClass::kLetter) return PairBreak::kNo;
      return after == PairClass::kDigit ? PairBreak::kAsk : PairBreak::kYes;
    default:
      return PairBreak::kYes;
  }
}

}  // namespace ui
