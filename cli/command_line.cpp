#include "cli/command_line.h"

#include <vector>

namespace cli {
namespace {

bool Asks(std::span<const std::string_view> args, std::string_view longName,
          std::string_view shortName) {
  for (std::string_view arg : args) {
    if (arg == "--") return false;
    if (arg == longName || arg == shortName) return true;
  }
  return false;
}

// Splits "--name=value" into name and value; other arguments have no value.
std::pair<std::string_view, std::optional<std::string_view>> SplitOption(std::string_view arg) {
  const auto equals = arg.find('=');
  if (arg.starts_with("--") && equals != std::string_view::npos) {
    return {arg.substr(0, equals), arg.substr(equals + 1)};
  }
  return {arg, std::nullopt};
}

std::string Quoted(std::string_view text) {
  return "“" + std::string(text) + "”";
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string_view> args) {
  if (Asks(args, "--help", "-h")) return ShowHelp{};
  if (Asks(args, "--version", "-V")) return ShowVersion{};

  Request request;
  std::vector<std::string_view> positional;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const auto [name, inlineValue] = SplitOption(arg);
    if (name == "--raw" && !inlineValue) {
      request.raw = true;
      continue;
    }
    if (name != "--key" && name != "--key-file") {
      return UsageError{"未知选项" + Quoted(arg)};
    }
    std::string_view value;
    if (inlineValue) {
      value = *inlineValue;
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return UsageError{"选项" + Quoted(name) + "缺少参数"};
    }
    if (request.key || request.keyFile) {
      return UsageError{"只能给出一个密钥：--key-file 与 --key 二选一"};
    }
    (name == "--key" ? request.key : request.keyFile) = std::string(value);
  }

  if (positional.empty()) return UsageError{"缺少操作：encrypt 或 decrypt"};
  if (positional[0] == "encrypt") {
    request.operation = Operation::kEncrypt;
  } else if (positional[0] == "decrypt") {
    request.operation = Operation::kDecrypt;
  } else {
    return UsageError{"未知操作" + Quoted(positional[0]) + "：应为 encrypt 或 decrypt"};
  }
  if (positional.size() > 2) return UsageError{"只能给出一个输入文件"};
  if (positional.size() == 2 && positional[1] != "-")
    request.inputFile = std::string(positional[1]);
  return request;
}

}  // namespace cli
