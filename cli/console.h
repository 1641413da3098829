// Standard output and standard error in the locale's encoding. Every message
// is put together in that encoding, whole: fixed texts are converted from
// UTF-8, and what comes from outside (file names, arguments, the system's
// reasons) is in that encoding already.
#pragma once

#include <string>
#include <string_view>

namespace cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A step that failed after saying why; carries the exit code.
struct Stop {
  int exitCode;
};

class Console {
 public:
  explicit Console(std::string codeset) : codeset_(std::move(codeset)) {}

  const std::string& codeset() const { return codeset_; }

  // A fixed UTF-8 text in the locale's encoding, %CODESET% filled in.
  std::string Local(std::string_view utf8) const;
  // A text in the locale's encoding between quotation marks.
  std::string Quoted(std::string_view localeText) const;

  // Writes the message, in the locale's encoding, after the program's name.
  void Complain(std::string_view localeMessage) const;
  Stop Fail(std::string_view localeMessage) const;
  // "what“subject”：reason", the reason being the system's for errno `code`.
  Stop FailSystem(std::string_view utf8What, std::string_view localeSubject, int code) const;
  // A usage error: the message, with `localeSubject` quoted where the
  // message holds messages::kSubject, then the short usage.
  Stop UsageFailure(std::string_view utf8Message, std::string_view localeSubject = {}) const;

  // Writes bytes to standard output; the exit code to go on with.
  int Print(std::string_view bytes) const;

 private:
  std::string codeset_;
};

}  // namespace cli
