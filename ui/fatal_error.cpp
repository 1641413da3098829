#include "ui/fatal_error.h"

#include <cxxabi.h>
#include <unistd.h>

#include <QApplication>
#include <QString>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <typeinfo>

#include "ui/code_page_bridge.h"
#include "ui/exit_handlers.h"
#include "ui/message_box.h"
#include "ui/utf8_string.h"
#include "ui/windows_asleep.h"

namespace ui {
namespace {

std::atomic<bool> reporting{false};

[[noreturn]] void EndProcess() {
  std::fflush(stdout);
  std::fflush(stderr);
  // Straight out: static destructors and atexit routines could run Qt's
  // teardown from whatever half-finished state the failure left behind.
  std::_Exit(-1);
}

void WriteToStderr(std::string_view text) {
  ssize_t ignored = write(STDERR_FILENO, "textcrypt: ", 11);
  ignored = write(STDERR_FILENO, text.data(), text.size());
  ignored = write(STDERR_FILENO, "\n", 1);
  (void)ignored;
}

std::string TypeName(const std::type_info& type) {
  int status = 0;
  char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  std::string name = status == 0 && demangled != nullptr ? demangled : type.name();
  std::free(demangled);
  return name;
}

}  // namespace

bool FatalErrorBeingReported() {
  return reporting.load();
}

std::string AllocationFailureMessage(std::size_t count, std::size_t each) {
  char digits[kByteCountDigits];
  const std::size_t length = FormatByteCount(count, each, digits);
  return "分配 " + std::string(digits, length) + " 字节内存失败!";
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
  // A failure while the box is up (say, the box itself cannot get memory)
  // must not recurse: the second report is one line on stderr.
  if (reporting.exchange(true)) {
    WriteToStderr(message);
    EndProcess();
  }
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    WriteToStderr(FatalErrorText(message, where));
    EndProcess();
  }
  const std::string text = FatalErrorText(message, where);
  const WindowsAsleep asleep;
  ShowMessageBox(FromUtf8(text), QStringLiteral("错误"), MessageIcon::Error);
  EndProcess();
}

void ReportCurrentException() {
  std::string message = "未处理的异常";
  std::string type;
  if (const std::type_info* current = abi::__cxa_current_exception_type()) {
    type = TypeName(*current);
    message += "：" + type;
  }
  try {
    if (const std::exception_ptr current = std::current_exception()) {
      std::rethrow_exception(current);
    }
  } catch (const std::exception& exception) {
    const std::string_view what = exception.what();
    if (!what.empty() && what != type) {
      message += "：";
      message += what;
    }
  } catch (...) {
  }
  ReportFatalError(message);
}

void ReportMissingGb18030Converter() {
  ReportFatalError("系统缺少 GB18030 字符集转换模块");
}

}  // namespace ui
