// The program's only window: three boxes, five buttons and three labels at
// fixed places, the click handlers, and the keys the window handles itself.
#pragma once

#include <QWidget>
#include <array>
#include <string_view>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

class TextBox;

inline constexpr std::string_view WindowTitle = "Tarnevok特制文本加密工具";

// The client area: the 974 x 595 outer size less a 3-pixel frame and a
// 23-pixel title bar; the window system adds its own frame around it.
inline constexpr int kClientWidth = 968;
inline constexpr int kClientHeight = 566;
// The outer size that centring is worked out from.
inline constexpr int kOuterWidth = 974;
inline constexpr int kOuterHeight = 595;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  MainWindow();
  ~MainWindow() override;

  // The top-left corner of the frame for a screen of this size: centred,
  // each quotient truncated toward zero (negative on a small screen).
  static QPoint CentredFramePosition(const QRect& screenGeometry);

  // When set, the window deletes itself once it is closed and no handler of
  // it is running any more.
  void SetDeleteWhenClosed(bool deleteWhenClosed) { deleteWhenClosed_ = deleteWhenClosed; }
  // True from the moment the window is closed: it is hidden then, and no
  // handler reads or writes its controls any more.
  bool IsGone() const { return gone_; }

  // The controls, by the names of the window data.
  QLabel* 标签1;
  QLabel* 标签2;
  QLabel* 标签3;
  QPushButton* 按钮1;
  QPushButton* 按钮2;
  QPushButton* 按钮3;
  QPushButton* 按钮4;
  QPushButton* 按钮5;
  TextBox* 编辑框1;
  TextBox* 编辑框2;
  QLineEdit* 编辑框3;

  // The focus cycle of Tab and Shift+Tab, from 编辑框1 to 按钮5.
  const std::array<QWidget*, 8>& TabOrder() const { return tabOrder_; }

 private slots:
  void OnEncryptClicked();
  void OnDecryptClicked();
  void OnClearPlaintextClicked();
  void OnClearCiphertextClicked();
  void OnHelpClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Counts the handlers of this window that are on the stack, so the window
  // is deleted only once none is left.
  class HandlerScope {
   public:
    explicit HandlerScope(MainWindow& window);
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

   private:
    MainWindow& window_;
  };

  void CreateControls();
  void PlaceControls();
  void WireSignals();
  void MoveFocusAlongTabOrder(bool forward);
  bool HandleKeyPress(QWidget* target, const QKeyEvent& key);
  void ShowKeyMissing();
  void DeleteIfDone();

  std::array<QWidget*, 8> tabOrder_{};
  int runningHandlers_ = 0;
  bool gone_ = false;
  bool deleteWhenClosed_ = false;
  bool deletionScheduled_ = false;
};

}  // namespace ui
