#include "ui/fatal_error.h"

#include <QApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "ui/exit_handlers.h"
#include "ui/message_box.h"
#include "ui/utf8_string.h"

namespace ui {
namespace {

// A failure while the box is up (say, the box itself cannot get memory)
// must not recurse: the second report goes to stderr only.
bool reporting = false;

[[noreturn]] void EndProcess() {
  std::fflush(stdout);
  std::fflush(stderr);
  // Straight out: static destructors and atexit routines could run Qt's
  // teardown from whatever half-finished state the failure left behind.
  std::_Exit(-1);
}

void WriteToStderr(const std::string& text) {
  std::fwrite("textcrypt: ", 1, 11, stderr);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
}

}  // namespace

std::string AllocationFailureMessage(std::size_t bytes) {
  return "分配 " + std::to_string(bytes) + " 字节内存失败!";
}

std::string FatalErrorText(std::string_view message, const std::source_location& where) {
  std::string text = "运行时出错!\r\n";
  text += "\r\n错误信息：";
  text += message;
  text += "\r\n";
  text += "位置：";
  text += where.file_name();
  text += ":";
  text += std::to_string(where.line());
  text += "\r\n函数：";
  text += where.function_name();
  return text;
}

void ReportFatalError(std::string_view message, std::source_location where) {
  ReleaseFatalErrorReserve();
  ClearExitHandlers();
  if (reporting || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    WriteToStderr(FatalErrorText(message, where));
    EndProcess();
  }
  reporting = true;
  const std::string text = FatalErrorText(message, where);
  ShowMessageBox(FromUtf8(text), QStringLiteral("错误"), MessageIcon::Error);
  EndProcess();
}

}  // namespace ui
