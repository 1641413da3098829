// Screen readers see the window's edit boxes as editable text: its name,
// its text, the caret and the selection, and edits made through them.
#pragma once

namespace ui {

// Registers the boxes' accessible interface with Qt; the first box made
// calls it, and later calls do nothing.
void InstallTextBoxAccessibility();

}  // namespace ui
