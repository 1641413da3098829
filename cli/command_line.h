// What the user asked for on the command line.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace cli {

enum class Operation { kEncrypt, kDecrypt };

struct Request {
  Operation operation = Operation::kEncrypt;
  bool raw = false;
  std::optional<std::string> keyFile;
  std::optional<std::string> key;
  std::optional<std::string> inputFile;  // standard input when absent or "-"
};

struct ShowHelp {};
struct ShowVersion {};
struct UsageError {
  std::string_view message;  // UTF-8; messages::kSubject stands for the subject
  std::string subject;       // from the command line, in the locale's encoding
};

using CommandLine = std::variant<Request, ShowHelp, ShowVersion, UsageError>;

// Reads the arguments after the program name. Options may stand before or
// after the operation and take their value as "--key KEY" or "--key=KEY";
// "--" ends the options. --help and --version win over everything else,
// but only where they stand as options: the value of --key or --key-file is
// a value whatever it looks like.
CommandLine ParseCommandLine(std::span<const std::string_view> args);

}  // namespace cli
