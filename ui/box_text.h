// Reading and writing a box's whole text as the cipher's bytes.
#pragma once

#include "cipher/types.h"

class QLineEdit;
class QPlainTextEdit;

namespace ui {
class TextBox;
}

namespace ui {

// The box's whole text; each line break comes back as CR LF, wrapping adds
// nothing, and an empty box gives the empty text.
cipher::Text ReadBoxText(const TextBox& box);
cipher::Text ReadBoxText(const QPlainTextEdit& box);
cipher::Text ReadBoxText(const QLineEdit& box);

// Replaces the box's whole text; CR LF shows as a line break.
void WriteBoxText(TextBox& box, const cipher::Text& text);
void WriteBoxText(QPlainTextEdit& box, const cipher::Text& text);
void WriteBoxText(QLineEdit& box, const cipher::Text& text);

}  // namespace ui
