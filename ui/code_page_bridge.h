// The one place where box text meets the tool's code page. The window hands
// the shared text rules (textcodec/tool_text.h) UTF-8 and takes UTF-8 back;
// the rules give each line break as CR LF, write every character in the bytes
// code page 936 gives it (GB18030 for the rest, so nothing is lost) and keep
// NULs out of the cipher's texts.
#pragma once

#include <QString>

#include "cipher/types.h"

class QLineEdit;
class QPlainTextEdit;

namespace ui {

class TextBox;

// A box's whole text as the cipher's bytes: each line break comes back as
// CR LF, wrapping adds nothing, and an empty box gives the empty text. The
// QPlainTextEdit forms serve the benchmarks' baseline and the bridge's tests.
cipher::Text ReadBoxText(const TextBox& box);
cipher::Text ReadBoxText(const QPlainTextEdit& box);
cipher::Text ReadBoxText(const QLineEdit& box);

// Replaces the box's whole text; CR LF shows as a line break.
void WriteBoxText(TextBox& box, const cipher::Text& text);
void WriteBoxText(QPlainTextEdit& box, const cipher::Text& text);
void WriteBoxText(QLineEdit& box, const cipher::Text& text);

// Each line break (LF, CR LF, a lone CR, U+2028 or U+2029) becomes CR LF and
// "€" the byte 0x80. Unpaired surrogates become U+FFFD and NUL characters are
// dropped, so the result is always a valid Text.
cipher::Text BoxTextToBytes(const QString& boxText);

// CR LF becomes a line break and a lone 0x80 "€"; bytes that are not valid
// GB18030 (what a wrong key gives) show as U+FFFD.
QString BytesToBoxText(const cipher::Text& bytes);

// Ends the program in the fatal error box when the system cannot convert
// GB18030 at all. Defined beside the box (ui/fatal_error.cpp), so that the
// bridge can be built without it (the fuzz target brings its own).
[[noreturn]] void ReportMissingGb18030Converter();

}  // namespace ui
