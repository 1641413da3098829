// The one place where box text meets the tool's code page. Every text the
// cipher sees is GB18030: for each character of code page 936 it gives the
// same bytes, and it can encode every Unicode character, so nothing is lost.
#pragma once

#include <QString>

#include "cipher/types.h"

namespace ui {

// Each line break (LF, CR LF, a lone CR, U+2028 or U+2029) becomes CR LF.
// Unpaired surrogates become U+FFFD and NUL characters are dropped, so the
// result is always a valid Text.
cipher::Text BoxTextToBytes(const QString& boxText);

// CR LF becomes a line break; bytes that are not valid GB18030 (what a wrong
// key gives) show as U+FFFD.
QString BytesToBoxText(const cipher::Text& bytes);

}  // namespace ui
