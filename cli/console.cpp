#include "cli/console.h"

#include <unistd.h>

#include <cstring>

#include "cli/file_io.h"
#include "cli/messages.h"
#include "cli/text_mode.h"

namespace cli {
namespace {

std::string Replace(std::string_view text, std::string_view placeholder, std::string_view value) {
  std::string out(text);
  for (auto at = out.find(placeholder); at != std::string::npos;
       at = out.find(placeholder, at + value.size())) {
    out.replace(at, placeholder.size(), value);
  }
  return out;
}

}  // namespace

std::string Console::Local(std::string_view utf8) const {
  return Utf8ToLocaleForDisplay(Replace(utf8, "%CODESET%", codeset_), codeset_);
}

std::string Console::Quoted(std::string_view localeText) const {
  return Local(messages::kOpenQuote) + std::string(localeText) + Local(messages::kCloseQuote);
}

void Console::Complain(std::string_view localeMessage) const {
  WriteAll(STDERR_FILENO, Local(messages::kPrefix) + std::string(localeMessage) + "\n");
}

Stop Console::Fail(std::string_view localeMessage) const {
  Complain(localeMessage);
  return Stop{kExitFailure};
}

Stop Console::FailSystem(std::string_view utf8What, std::string_view localeSubject,
                         int code) const {
  std::string message = Local(utf8What);
  if (!localeSubject.empty()) message += Quoted(localeSubject);
  // strerror speaks the locale's language in the locale's encoding.
  return Fail(message + Local("：") + std::strerror(code));
}

Stop Console::UsageFailure(std::string_view utf8Message, std::string_view localeSubject) const {
  std::string message;
  if (const auto at = utf8Message.find(messages::kSubject); at != std::string_view::npos) {
    message = Local(utf8Message.substr(0, at)) + Quoted(localeSubject) +
              Local(utf8Message.substr(at + messages::kSubject.size()));
  } else {
    message = Local(utf8Message);
  }
  Complain(message);
  WriteAll(STDERR_FILENO, Local(messages::kUsage));
  return Stop{kExitUsage};
}

int Console::Print(std::string_view bytes) const {
  if (const int code = WriteAll(STDOUT_FILENO, bytes); code != 0) {
    return FailSystem(messages::kCannotWriteStdout, {}, code).exitCode;
  }
  return kExitSuccess;
}

}  // namespace cli
