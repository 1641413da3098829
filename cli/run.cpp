#include "cli/run.h"

#include <unistd.h>

#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>

#include "cipher/base64.h"
#include "cipher/rc4_keystream.h"
#include "cipher/text_cipher.h"
#include "cli/codeset_conversion.h"
#include "cli/command_line.h"
#include "cli/file_io.h"
#include "cli/locale_codeset.h"
#include "cli/messages.h"
#include "cli/piecewise_decoder.h"
#include "cli/terminal_key.h"
#include "cli/text_mode.h"
#include "cli/text_pieces.h"
#include "textcodec/line_breaks.h"

#ifndef TEXTCRYPT_VERSION
#define TEXTCRYPT_VERSION "unknown"
#endif

namespace cli {
namespace {

template <class T>
using Step = std::variant<T, Stop>;

// Only the first 256 bytes of a key count, but the whole key is what was
// written: a longer key file is refused rather than cut.
constexpr std::size_t kMaxKeyFileBytes = std::size_t{1} << 20;
// The text is read, converted and decoded a piece of about this size at a
// time, so that only the text itself (for encrypt) or the plaintext (for
// decrypt) is ever held whole.
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
// Cipher bytes are encoded this many at a time: a multiple of 3, so the
// pieces' Base64 joins into the Base64 of the whole.
constexpr std::size_t kEncodeBytes = 3 * 16 * 1024;

// The text's source: standard input or an open file, and its name for messages.
struct Input {
  int fd = STDIN_FILENO;
  std::string localeSource;

  Input() = default;
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
  ~Input() {
    if (fd != STDIN_FILENO) close(fd);
  }
};

Stop FailOn(const Console& console, const InputProblem& problem, std::string_view localeSource,
            std::size_t pieceOffset) {
  using Kind = InputProblem::Kind;
  const std::string at = std::to_string(pieceOffset + problem.offset + 1);
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
                          std::string_view localeSource, std::size_t offset = 0) {
  ToolBytes bytes =
      request.raw ? RawToolBytes(input) : LocaleTextToToolBytes(input, console.codeset());
  if (auto* problem = std::get_if<InputProblem>(&bytes)) {
    return FailOn(console, *problem, localeSource, offset);
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
    // Enough for the longest key and its line break, and one byte more.
    FileContent content = ReadFileUpTo(*request.keyFile, kMaxKeyFileBytes + 3);
    if (auto* error = std::get_if<SystemError>(&content)) {
      return console.FailSystem(messages::kCannotReadKeyFile, *request.keyFile, error->code);
    }
    std::string key =
        WithoutOneTrailingNewline(std::get<std::string>(std::move(content)), request.raw);
    if (key.size() > kMaxKeyFileBytes) {
      return console.Fail(console.Local(messages::kTheKeyFile) + console.Quoted(*request.keyFile) +
                          console.Local(messages::kKeyFileTooLong));
    }
    return key;
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

// Reads the whole input in pieces, each converted to the tool's bytes and
// handed on; stops at the first piece that cannot be a text.
std::optional<Stop> ReadTool(const Console& console, const Request& request, const Input& input,
                             const std::function<void(cipher::Text&)>& onBytes) {
  std::optional<Stop> stop;
  const bool utf8 = !request.raw && IsUtf8Codeset(console.codeset());
  const std::optional<SystemError> error =
      ReadInPieces(input.fd, utf8, kPieceBytes, [&](std::string_view piece, std::size_t offset) {
        Step<cipher::Text> bytes = ToTool(console, request, piece, input.localeSource, offset);
        if (auto* failed = std::get_if<Stop>(&bytes)) {
          stop = *failed;
          return false;
        }
        onBytes(std::get<cipher::Text>(bytes));
        return true;
      });
  if (error) {
    if (input.fd == STDIN_FILENO) {
      return console.FailSystem(messages::kCannotReadStdin, {}, error->code);
    }
    return console.FailSystem(messages::kCannotReadFile, *request.inputFile, error->code);
  }
  return stop;
}

int Encrypt(const Console& console, const Request& request, const Input& input,
            const cipher::Text& key) {
  // The whole text is read and checked before any ciphertext is written.
  cipher::Text text;
  if (auto stop = ReadTool(console, request, input, [&](cipher::Text& bytes) { text += bytes; })) {
    return stop->exitCode;
  }
  cipher::Rc4Keystream keystream(key);
  cipher::ByteBuffer piece;
  for (std::size_t at = 0; at < text.size(); at += kEncodeBytes) {
    const std::size_t size = std::min(kEncodeBytes, text.size() - at);
    piece.assign(text.begin() + static_cast<std::ptrdiff_t>(at),
                 text.begin() + static_cast<std::ptrdiff_t>(at + size));
    keystream.Apply(piece.data(), piece.size());
    if (const int code = console.Print(cipher::Base64Encode(piece)); code != kExitSuccess) {
      return code;
    }
  }
  return console.Print("\n");
}

// Calls onPiece for consecutive pieces of bytes, each cut where the tool's
// code page can be cut (see LastSafeCut); false from onPiece stops.
bool ForEachToolPiece(std::string_view bytes,
                      const std::function<bool(const cipher::Text&)>& onPiece) {
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t end = bytes.size();
    if (bytes.size() - at > kPieceBytes) {
      const std::size_t cut = LastSafeCut(bytes.substr(at, kPieceBytes), 0, false);
      if (cut > 0) {
        end = at + cut;
      } else {
        const std::size_t next = LastSafeCut(bytes.substr(at), 0, false);
        end = next > 0 ? at + next : bytes.size();
      }
    }
    if (!onPiece(cipher::Text(bytes.substr(at, end - at)))) return false;
    at = end;
  }
  return true;
}

int PrintText(const Console& console, const cipher::Text& plaintext) {
  // An encoding that lacks some characters is checked all through before
  // anything is written, so a refusal leaves no half output behind.
  const bool canFail = !IsUtf8Codeset(console.codeset());
  std::optional<Stop> stop;
  const auto convert = [&](bool write) {
    return ForEachToolPiece(plaintext, [&](const cipher::Text& piece) {
      LocaleText shown = ToolBytesToLocaleText(piece, console.codeset());
      if (auto* problem = std::get_if<OutputProblem>(&shown)) {
        const auto text = problem->kind == OutputProblem::Kind::kNotRepresentable
                              ? messages::kNotRepresentable
                              : messages::kUnsupportedCodeset;
        stop = console.Fail(console.Local(text));
        return false;
      }
      if (!write) return true;
      if (const int code = console.Print(std::get<std::string>(shown)); code != kExitSuccess) {
        stop = Stop{code};
        return false;
      }
      return true;
    });
  };
  if (canFail && !convert(false)) return stop->exitCode;
  if (!convert(true)) return stop->exitCode;
  return kExitSuccess;
}

int Decrypt(const Console& console, const Request& request, const Input& input,
            const cipher::Text& key) {
  // The ciphertext is decoded and deciphered as it arrives; only the
  // plaintext is held, so that nothing is written unless the whole input
  // was read and was a text.
  PiecewiseDecoder decoder;
  cipher::Rc4Keystream keystream(key);
  cipher::ByteBuffer decoded;
  cipher::Text plaintext;
  bool ended = false;  // the plaintext ends before its first zero byte
  const auto decipher = [&] {
    if (ended || decoded.empty()) return;
    keystream.Apply(decoded.data(), decoded.size());
    const auto* zero =
        static_cast<const std::uint8_t*>(std::memchr(decoded.data(), 0, decoded.size()));
    const std::size_t keep =
        zero != nullptr ? static_cast<std::size_t>(zero - decoded.data()) : decoded.size();
    plaintext.append(reinterpret_cast<const char*>(decoded.data()), keep);
    ended = zero != nullptr;
    decoded.clear();
  };
  auto stop = ReadTool(console, request, input, [&](cipher::Text& bytes) {
    if (ended) return;
    // A ciphertext is text even in raw mode: its line breaks are read as
    // the window reads them, so that the decoder drops them instead of
    // stopping at a lone LF.
    decoder.Add(request.raw ? textcodec::LineBreaksToCrLf(bytes) : bytes, decoded);
    decipher();
  });
  if (stop) return stop->exitCode;
  if (!ended) {
    decoder.Finish(decoded);
    decipher();
  }
  if (request.raw) return console.Print(plaintext);
  return PrintText(console, plaintext);
}

int RunRequest(const Console& console, const Request& request) {
  // A named file is opened before the key is asked for, so a mistyped name
  // fails before anyone types a key.
  Input input;
  input.localeSource = console.Local(messages::kStandardInput);
  if (request.inputFile) {
    auto opened = OpenForReading(*request.inputFile);
    if (auto* error = std::get_if<SystemError>(&opened)) {
      return console.FailSystem(messages::kCannotReadFile, *request.inputFile, error->code)
          .exitCode;
    }
    input.fd = std::get<int>(opened);
    input.localeSource = console.Local(messages::kTheFile) + console.Quoted(*request.inputFile);
  }
  if (request.keyFile && IsSameFile(*request.keyFile, input.fd)) {
    return console.UsageFailure(messages::kKeyFileIsInput).exitCode;
  }

  Step<std::string> given = KeyAsGiven(console, request);
  if (auto* stop = std::get_if<Stop>(&given)) return stop->exitCode;
  Step<cipher::Text> key =
      ToTool(console, request, std::get<std::string>(given), console.Local(messages::kTheKey));
  if (auto* stop = std::get_if<Stop>(&key)) return stop->exitCode;
  if (std::get<cipher::Text>(key).empty()) {
    // Said before the text is read, so nobody types a text in vain.
    return console.Fail(console.Local(cipher::KeyMissingMessage)).exitCode;
  }

  if (!request.inputFile && isatty(STDIN_FILENO)) {
    WriteAll(STDERR_FILENO, console.Local(messages::kTextPrompt));
  }
  if (request.operation == Operation::kEncrypt) {
    return Encrypt(console, request, input, std::get<cipher::Text>(key));
  }
  return Decrypt(console, request, input, std::get<cipher::Text>(key));
}

int RunCommandLine(const Console& console, std::span<const std::string_view> args) {
  const CommandLine commandLine = ParseCommandLine(args);
  if (std::holds_alternative<ShowHelp>(commandLine)) {
    return console.Print(console.Local(messages::kHelp));
  }
  if (std::holds_alternative<ShowVersion>(commandLine)) {
    return console.Print(console.Local(messages::kVersionLine) + TEXTCRYPT_VERSION + "\n");
  }
  if (const auto* error = std::get_if<UsageError>(&commandLine)) {
    return console.UsageFailure(error->message, error->subject).exitCode;
  }
  return RunRequest(console, std::get<Request>(commandLine));
}

}  // namespace

int Run(std::span<const std::string_view> args) {
  const Console console(AdoptLocaleCodeset());
  try {
    return RunCommandLine(console, args);
  } catch (const std::bad_alloc&) {
    // By now the buffers that did not fit are gone, so the message fits.
  } catch (const std::length_error&) {
    // A text longer than a string can hold.
  }
  return console.Fail(console.Local(messages::kOutOfMemory)).exitCode;
}

}  // namespace cli
