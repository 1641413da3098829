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
  std::string message;  // UTF-8
};

using CommandLine = std::variant<Request, ShowHelp, ShowVersion, UsageError>;

// Reads the arguments after the program name. Options may stand before or
// after the operation and take their value as "--key KEY" or "--key=KEY";
// "--" ends the options. --help and --version win over everything else.
CommandLine ParseCommandLine(std::span<const std::string_view> args);

}  // namespace cli
