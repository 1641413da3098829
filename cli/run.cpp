#include "cli/run.h"

#include <unistd.h>

#include <cstring>
#include <string>
#include <variant>

#include "cipher/text_cipher.h"
#include "cli/command_line.h"
#include "cli/file_io.h"
#include "cli/locale_codeset.h"
#include "cli/messages.h"
#include "cli/terminal_key.h"
#include "cli/text_mode.h"
#include "textcodec/line_breaks.h"

#ifndef TEXTCRYPT_VERSION
#define TEXTCRYPT_VERSION "unknown"
#endif

namespace cli {
namespace {

// A step that failed after saying why; carries the exit code.
struct Stop {
  int exitCode;
};
template <class T>
using Step = std::variant<T, Stop>;

std::string Replace(std::string_view text, std::string_view placeholder, std::string_view value) {
  std::string out(text);
  for (auto at = out.find(placeholder); at != std::string::npos;
       at = out.find(placeholder, at + value.size())) {
    out.replace(at, placeholder.size(), value);
  }
  return out;
}

std::string Quoted(std::string_view localeText) {
  return "“" + std::string(localeText) + "”";
}

// Standard output and standard error in the locale's encoding.
class Console {
 public:
  explicit Console(std::string codeset) : codeset_(std::move(codeset)) {}

  const std::string& codeset() const { return codeset_; }

  // A fixed UTF-8 text in the locale's encoding, %CODESET% filled in.
  std::string Local(std::string_view utf8) const {
    return Utf8ToLocaleForDisplay(Replace(utf8, "%CODESET%", codeset_), codeset_);
  }

  // `localeMessage` is already in the locale's encoding: file names and the
  // system's reasons come that way.
  void Complain(std::string_view localeMessage) const {
    WriteAll(STDERR_FILENO, Local(messages::kPrefix) + std::string(localeMessage) + "\n");
  }

  Stop Fail(std::string_view localeMessage) const {
    Complain(localeMessage);
    return Stop{kExitFailure};
  }

  Stop FailSystem(std::string_view what, std::string_view subject, int code) const {
    std::string message = Local(what);
    if (!subject.empty()) message += Quoted(subject);
    return Fail(message + Local("：") + std::strerror(code));
  }

  Stop UsageFailure(std::string_view utf8Message) const {
    Complain(Local(utf8Message));
    WriteAll(STDERR_FILENO, Local(messages::kUsage));
    return Stop{kExitUsage};
  }

  int Print(std::string_view bytes) const {
    if (const int code = WriteAll(STDOUT_FILENO, bytes); code != 0) {
      return FailSystem(messages::kCannotWriteStdout, {}, code).exitCode;
    }
    return kExitSuccess;
  }

 private:
  std::string codeset_;
};

Stop FailOn(const Console& console, const InputProblem& problem, std::string_view localeSource) {
  using Kind = InputProblem::Kind;
  const std::string at = std::to_string(problem.offset + 1);
  switch (problem.kind) {
    case Kind::kZeroByte:
      return console.Fail(std::string(localeSource) + console.Local(messages::kZeroByteAt) + at +
                          console.Local(messages::kByteSuffix));
    case Kind::kNotInCodeset:
      return console.Fail(std::string(localeSource) + console.Local(messages::kNotInCodesetAt) +
                          at + console.Local(messages::kByteSuffix) +
                          console.Local(messages::kUseRaw));
    case Kind::kUnsupportedCodeset:
      break;
  }
  return console.Fail(console.Local(messages::kUnsupportedCodeset));
}

Step<cipher::Text> ToTool(const Console& console, const Request& request, std::string_view input,
                          std::string_view localeSource) {
  ToolBytes bytes =
      request.raw ? RawToolBytes(input) : LocaleTextToToolBytes(input, console.codeset());
  if (auto* problem = std::get_if<InputProblem>(&bytes)) {
    return FailOn(console, *problem, localeSource);
  }
  return std::get<cipher::Text>(std::move(bytes));
}

std::string WithoutOneTrailingNewline(std::string bytes, bool raw) {
  if (bytes.ends_with('\n')) {
    bytes.pop_back();
    if (!raw && bytes.ends_with('\r')) bytes.pop_back();
  }
  return bytes;
}

Step<std::string> KeyAsGiven(const Console& console, const Request& request) {
  if (request.key) {
    console.Complain(console.Local(messages::kKeyOnCommandLine));
    return *request.key;
  }
  if (request.keyFile) {
    FileContent content = ReadWholeFile(*request.keyFile);
    if (auto* error = std::get_if<SystemError>(&content)) {
      return console.FailSystem(messages::kCannotReadKeyFile, *request.keyFile, error->code);
    }
    return WithoutOneTrailingNewline(std::get<std::string>(std::move(content)), request.raw);
  }
  TerminalKey typed = ReadKeyFromTerminal(console.Local(messages::kKeyPrompt));
  if (std::holds_alternative<NoTerminal>(typed)) {
    return console.UsageFailure(messages::kNoKeySource);
  }
  if (auto* error = std::get_if<SystemError>(&typed)) {
    return console.FailSystem(messages::kCannotReadTerminal, {}, error->code);
  }
  return std::get<std::string>(std::move(typed));
}

Step<std::string> ReadInput(const Console& console, const Request& request) {
  if (request.inputFile) {
    FileContent content = ReadWholeFile(*request.inputFile);
    if (auto* error = std::get_if<SystemError>(&content)) {
      return console.FailSystem(messages::kCannotReadFile, *request.inputFile, error->code);
    }
    return std::get<std::string>(std::move(content));
  }
  if (isatty(STDIN_FILENO)) WriteAll(STDERR_FILENO, console.Local(messages::kTextPrompt));
  FileContent content = ReadAllFrom(STDIN_FILENO);
  if (auto* error = std::get_if<SystemError>(&content)) {
    return console.FailSystem(messages::kCannotReadStdin, {}, error->code);
  }
  return std::get<std::string>(std::move(content));
}

int Encrypt(const Console& console, const cipher::Text& text, const cipher::Text& key) {
  const cipher::CipherOutcome outcome = cipher::EncryptText(text, key);
  if (std::holds_alternative<cipher::KeyMissing>(outcome)) {
    WriteAll(STDERR_FILENO, console.Local(cipher::KeyMissingMessage) + "\n");
    return kExitFailure;
  }
  return console.Print(std::get<cipher::Text>(outcome) + "\n");
}

int Decrypt(const Console& console, const Request& request, const cipher::Text& ciphertext,
            const cipher::Text& key) {
  const cipher::CipherOutcome outcome = cipher::DecryptText(
      ciphertext, [&] { return key; }, [] {});
  if (std::holds_alternative<cipher::KeyMissing>(outcome)) {
    WriteAll(STDERR_FILENO, console.Local(cipher::KeyMissingMessage) + "\n");
    return kExitFailure;
  }
  const cipher::Text& plaintext = std::get<cipher::Text>(outcome);
  if (request.raw) return console.Print(plaintext);
  LocaleText shown = ToolBytesToLocaleText(plaintext, console.codeset());
  if (auto* problem = std::get_if<OutputProblem>(&shown)) {
    const auto text = problem->kind == OutputProblem::Kind::kNotRepresentable
                          ? messages::kNotRepresentable
                          : messages::kUnsupportedCodeset;
    return console.Fail(console.Local(text)).exitCode;
  }
  return console.Print(std::get<std::string>(shown));
}

int RunRequest(const Console& console, const Request& request) {
  // A named file is read before the key is asked for, so a mistyped name
  // fails before anyone types a key.
  std::optional<std::string> input;
  if (request.inputFile) {
    Step<std::string> read = ReadInput(console, request);
    if (auto* stop = std::get_if<Stop>(&read)) return stop->exitCode;
    input = std::get<std::string>(std::move(read));
  }

  Step<std::string> given = KeyAsGiven(console, request);
  if (auto* stop = std::get_if<Stop>(&given)) return stop->exitCode;
  Step<cipher::Text> key =
      ToTool(console, request, std::get<std::string>(given), console.Local(messages::kTheKey));
  if (auto* stop = std::get_if<Stop>(&key)) return stop->exitCode;
  if (std::get<cipher::Text>(key).empty()) {
    // Said before the text is read, so nobody types a text in vain.
    WriteAll(STDERR_FILENO, console.Local(cipher::KeyMissingMessage) + "\n");
    return kExitFailure;
  }

  if (!input) {
    Step<std::string> read = ReadInput(console, request);
    if (auto* stop = std::get_if<Stop>(&read)) return stop->exitCode;
    input = std::get<std::string>(std::move(read));
  }
  const std::string source = request.inputFile
                                 ? console.Local(messages::kTheFile) + Quoted(*request.inputFile)
                                 : console.Local(messages::kStandardInput);

  if (request.operation == Operation::kEncrypt) {
    Step<cipher::Text> text = ToTool(console, request, *input, source);
    if (auto* stop = std::get_if<Stop>(&text)) return stop->exitCode;
    return Encrypt(console, std::get<cipher::Text>(text), std::get<cipher::Text>(key));
  }
  // A ciphertext is text even in raw mode: its line breaks are read as the
  // window reads them, so that the decoder drops them instead of stopping
  // at a lone LF.
  Step<cipher::Text> ciphertext = ToTool(console, request, *input, source);
  if (auto* stop = std::get_if<Stop>(&ciphertext)) return stop->exitCode;
  cipher::Text cleaned = request.raw
                             ? textcodec::LineBreaksToCrLf(std::get<cipher::Text>(ciphertext))
                             : std::get<cipher::Text>(std::move(ciphertext));
  return Decrypt(console, request, cleaned, std::get<cipher::Text>(key));
}

}  // namespace

int Run(std::span<const std::string_view> args) {
  const Console console(AdoptLocaleCodeset());
  const CommandLine commandLine = ParseCommandLine(args);
  if (std::holds_alternative<ShowHelp>(commandLine)) {
    return console.Print(console.Local(messages::kHelp));
  }
  if (std::holds_alternative<ShowVersion>(commandLine)) {
    return console.Print(console.Local(messages::kVersionLine) + TEXTCRYPT_VERSION + "\n");
  }
  if (const auto* error = std::get_if<UsageError>(&commandLine)) {
    return console.UsageFailure(error->message).exitCode;
  }
  return RunRequest(console, std::get<Request>(commandLine));
}

}  // namespace cli
