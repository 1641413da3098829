// What the five buttons do.
#include <QLineEdit>
#include <variant>

#include "cipher/text_cipher.h"
#include "ui/box_text.h"
#include "ui/event_pump.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/text_box.h"
#include "ui/usage_text.h"
#include "ui/utf8_string.h"

namespace ui {
void MainWindow::ShowKeyMissing() {
  ShowMessageBox(FromUtf8(cipher::KeyMissingMessage), FromUtf8(cipher::KeyMissingTitle),
                 MessageIcon::Error);
}

void MainWindow::OnEncryptClicked() {
  const HandlerScope scope(*this);
  if (gone_) return;
  // Nothing between the reads and the call handles events, so both texts
  // are those of the moment of the click.
  const cipher::Text key = ReadBoxText(*编辑框3);
  const cipher::Text plaintext = ReadBoxText(*编辑框1);
  const cipher::CipherOutcome outcome = cipher::EncryptText(plaintext, key);
  if (std::holds_alternative<cipher::KeyMissing>(outcome)) {
    ShowKeyMissing();
    return;
  }
  WriteBoxText(*编辑框2, std::get<cipher::Text>(outcome));
}

void MainWindow::OnDecryptClicked() {
  const HandlerScope scope(*this);
  if (gone_) return;
  const cipher::Text ciphertext = ReadBoxText(*编辑框2);
  // The key is read again after the decode, which handles input meanwhile:
  // the window may be closed by then, and its controls are off limits.
  auto readKey = [this]() -> cipher::Text {
    return gone_ ? cipher::Text{} : ReadBoxText(*编辑框3);
  };
  const cipher::CipherOutcome outcome =
      cipher::DecryptText(ciphertext, readKey, ProcessPendingInput);
  if (gone_) return;  // closed during the decode: the result has nowhere to go
  if (std::holds_alternative<cipher::KeyMissing>(outcome)) {
    ShowKeyMissing();
    return;
  }
  WriteBoxText(*编辑框1, std::get<cipher::Text>(outcome));
}

void MainWindow::OnClearPlaintextClicked() {
  const HandlerScope scope(*this);
  if (!gone_) WriteBoxText(*编辑框1, {});
}

void MainWindow::OnClearCiphertextClicked() {
  const HandlerScope scope(*this);
  if (!gone_) WriteBoxText(*编辑框2, {});
}

void MainWindow::OnHelpClicked() {
  const HandlerScope scope(*this);
  if (!gone_) ShowMessageBox(FromUtf8(UsageText), FromUtf8(UsageTitle), MessageIcon::Information);
}

}  // namespace ui
