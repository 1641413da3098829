// The program's message boxes: no owner, application-modal, one button.
#pragma once

#include <QString>
#include <functional>

class QMessageBox;

namespace ui {

// Error is the stop sign, Information the letter i.
enum class MessageIcon { Error, Information };

// Shows the box and returns once the user has dismissed it. CR LF in the
// text shows as a line break. While it is shown no other window of the
// program takes input.
void ShowMessageBox(const QString& text, const QString& title, MessageIcon icon);

// A seam for tests, in the manner of KeePassXC's MessageBox: the watcher is
// called from inside the box's own modal loop once the box is up, so a test
// can see what is shown, try the blocked window, and answer the box (click
// its button) then or later. An empty watcher leaves the boxes to the user.
using MessageBoxWatcher = std::function<void(QMessageBox& shownBox)>;
void SetMessageBoxWatcher(MessageBoxWatcher watcher);

}  // namespace ui
