#include "ui/main_window.h"

#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextOption>
#include <algorithm>
#include <limits>
#include <variant>

#include "cipher/text_cipher.h"
#include "ui/code_page_bridge.h"
#include "ui/event_pump.h"
#include "ui/message_box.h"
#include "ui/selection_hider.h"
#include "ui/sunken_edge.h"
#include "ui/text_box.h"
#include "ui/usage_text.h"
#include "ui/utf8_string.h"

namespace ui {
namespace {

// Black on white whatever the desktop theme, as the window was drawn.
void PaintBlackOnWhite(QWidget& box) {
  QPalette palette = box.palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  box.setPalette(palette);
}

// The box wraps at its width, has no scroll bars and never takes a tab
// character: Tab and Shift+Tab are the window's.
void SetUpMultiLineBox(TextBox& box, const QString& name) {
  ApplySunkenEdge(box);
  box.setFocusPolicy(Qt::StrongFocus);
  box.setAccessibleName(name);
  PaintBlackOnWhite(box);
  InstallSelectionHider(box);
}

// Tab with Ctrl or Alt is a chord for the control, not a step in the tab
// order.
constexpr Qt::KeyboardModifiers kChordModifiers = Qt::ControlModifier | Qt::AltModifier;

}  // namespace

MainWindow::MainWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(FromUtf8(WindowTitle));
  setWindowIcon(QIcon(QStringLiteral(":/textcrypt.png")));
  setFixedSize(kClientWidth, kClientHeight);
  // The button face fills the window, as it fills a dialog.
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);

  CreateControls();
  PlaceControls();
  WireSignals();
  编辑框1->setFocus(Qt::OtherFocusReason);
}

MainWindow::~MainWindow() = default;

QPoint MainWindow::CentredFramePosition(const QRect& screenGeometry) {
  // C++ integer division truncates toward zero, as the formula asks.
  return screenGeometry.topLeft() + QPoint((screenGeometry.width() - kOuterWidth) / 2,
                                           (screenGeometry.height() - kOuterHeight) / 2);
}

void MainWindow::CreateControls() {
  // Children stack in the order they are made, the first at the bottom:
  // from the bottom 编辑框1, 编辑框2, 按钮1, 按钮2, 标签1, 标签2, 编辑框3, 标签3,
  // then the two clear buttons above their labels, and 按钮5 on top.
  auto makeButton = [this](const char* name, const char* caption) {
    auto* button = new QPushButton(FromUtf8(caption), this);
    button->setObjectName(FromUtf8(name));
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAccessibleName(button->text());
    return button;
  };
  auto makeLabel = [this](const char* name, const char* caption) {
    auto* label = new QLabel(FromUtf8(caption), this);
    label->setObjectName(FromUtf8(name));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setWordWrap(false);
    label->setFrameShape(QFrame::NoFrame);
    label->setTextFormat(Qt::PlainText);
    label->setBackgroundRole(QPalette::Button);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->setAccessibleName(label->text());
    return label;
  };

  // Plaintext reads best broken at word boundaries; a word wider than the
  // box still breaks, so there is never a horizontal scroll.
  编辑框1 = new TextBox(QTextOption::WrapAtWordBoundaryOrAnywhere, this);
  编辑框1->setObjectName(QStringLiteral("编辑框1"));
  SetUpMultiLineBox(*编辑框1, QStringLiteral("文本"));

  // Ciphertexts are Base64 without spaces: they break anywhere.
  编辑框2 = new TextBox(QTextOption::WrapAnywhere, this);
  编辑框2->setObjectName(QStringLiteral("编辑框2"));
  SetUpMultiLineBox(*编辑框2, QStringLiteral("加密文本"));

  按钮1 = makeButton("按钮1", "加密");
  按钮2 = makeButton("按钮2", "解密");
  标签1 = makeLabel("标签1", "加密文本：");
  标签2 = makeLabel("标签2", "文本：");

  编辑框3 = new QLineEdit(this);
  编辑框3->setObjectName(QStringLiteral("编辑框3"));
  编辑框3->setEchoMode(QLineEdit::Normal);  // the key is shown in clear
  编辑框3->setMaxLength(std::numeric_limits<int>::max());
  ApplySunkenEdge(*编辑框3);
  编辑框3->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  编辑框3->setFocusPolicy(Qt::StrongFocus);
  编辑框3->setAccessibleName(QStringLiteral("加密/解密密钥"));
  PaintBlackOnWhite(*编辑框3);
  InstallSelectionHider(*编辑框3);

  标签3 = makeLabel("标签3", "加密/解密密钥：");
  按钮3 = makeButton("按钮3", "清除内容");
  按钮4 = makeButton("按钮4", "清除内容");
  按钮5 = makeButton("按钮5", "帮助/用法");

  tabOrder_ = {编辑框1, 编辑框2, 按钮1, 按钮2, 编辑框3, 按钮3, 按钮4, 按钮5};
  for (std::size_t i = 0; i + 1 < tabOrder_.size(); ++i) {
    setTabOrder(tabOrder_[i], tabOrder_[i + 1]);
  }
  // Every key for a control passes the window first.
  for (QWidget* control : tabOrder_) control->installEventFilter(this);
}

void MainWindow::PlaceControls() {
  标签2->setGeometry(16, 0, 168, 24);
  按钮3->setGeometry(88, 0, 72, 24);
  按钮5->setGeometry(880, 0, 72, 24);
  编辑框1->setGeometry(16, 24, 936, 232);
  标签3->setGeometry(184, 264, 96, 24);
  编辑框3->setGeometry(280, 264, 296, 24);
  按钮1->setGeometry(592, 264, 176, 24);
  按钮2->setGeometry(776, 264, 176, 24);
  标签1->setGeometry(16, 272, 160, 24);
  按钮4->setGeometry(88, 272, 72, 24);
  编辑框2->setGeometry(16, 296, 936, 240);
}

// Every signal the window listens to, in one place.
void MainWindow::WireSignals() {
  connect(按钮1, &QPushButton::clicked, this, &MainWindow::OnEncryptClicked);
  connect(按钮2, &QPushButton::clicked, this, &MainWindow::OnDecryptClicked);
  connect(按钮3, &QPushButton::clicked, this, &MainWindow::OnClearPlaintextClicked);
  connect(按钮4, &QPushButton::clicked, this, &MainWindow::OnClearCiphertextClicked);
  connect(按钮5, &QPushButton::clicked, this, &MainWindow::OnHelpClicked);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Never refused, never asked about. Qt cannot delete a widget while one of
  // its handlers is on the stack (a close during a decode's pump), so the
  // window disappears now, stops touching its controls, and is deleted once
  // the last running handler has returned.
  event->accept();
  if (gone_) return;
  gone_ = true;
  hide();
  RaiseQuitRequest(0);
  DeleteIfDone();
}

void MainWindow::DeleteIfDone() {
  if (!gone_ || runningHandlers_ > 0 || !deleteWhenClosed_ || deletionScheduled_) return;
  deletionScheduled_ = true;
  deleteLater();
}

MainWindow::HandlerScope::HandlerScope(MainWindow& window) : window_(window) {
  ++window_.runningHandlers_;
}

MainWindow::HandlerScope::~HandlerScope() {
  --window_.runningHandlers_;
  window_.DeleteIfDone();
}

// What the five buttons do.

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

// The keys the window sees before the focused control: Tab and Shift+Tab
// walk the tab order, Esc closes, Enter does nothing outside the two
// multi-line boxes.

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
    return HandleKeyPress(static_cast<QWidget*>(watched), static_cast<const QKeyEvent&>(*event));
  }
  return QWidget::eventFilter(watched, event);
}

bool MainWindow::HandleKeyPress(QWidget* target, const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers();
  const bool chord = (modifiers & kChordModifiers) != 0;
  const bool shift = (modifiers & Qt::ShiftModifier) != 0;
  const bool multiLineBox = target == 编辑框1 || target == 编辑框2;

  switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if (!chord) {
        MoveFocusAlongTabOrder(key.key() == Qt::Key_Tab && !shift);
        return true;
      }
      // Ctrl+Tab and the like go on to the control, but never as a tab
      // character into a box.
      return multiLineBox || target == 编辑框3;
    case Qt::Key_Escape:
      if (!chord && !shift) {
        close();
        return true;
      }
      return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // A multi-line box claims Enter for a line break; anywhere else Enter
      // would press the default button, and there is none.
      return !multiLineBox;
    default:
      return false;
  }
}

void MainWindow::MoveFocusAlongTabOrder(bool forward) {
  const auto count = static_cast<std::ptrdiff_t>(tabOrder_.size());
  const auto found = std::find(tabOrder_.begin(), tabOrder_.end(), focusWidget());
  std::ptrdiff_t next = 0;
  if (found != tabOrder_.end()) {
    const std::ptrdiff_t at = found - tabOrder_.begin();
    next = forward ? (at + 1) % count : (at + count - 1) % count;
  } else if (!forward) {
    next = count - 1;
  }
  tabOrder_[static_cast<std::size_t>(next)]->setFocus(forward ? Qt::TabFocusReason
                                                              : Qt::BacktabFocusReason);
}

}  // namespace ui
