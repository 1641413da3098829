#include "cli/command_line.h"

#include <vector>

#include "cli/messages.h"

namespace cli {
namespace {

// Splits "--name=value" into name and value; other arguments have no value.
std::pair<std::string_view, std::optional<std::string_view>> SplitOption(std::string_view arg) {
  const auto equals = arg.find('=');
  if (arg.starts_with("--") && equals != std::string_view::npos) {
    return {arg.substr(0, equals), arg.substr(equals + 1)};
  }
  return {arg, std::nullopt};
}

// Reads the options and the positional arguments. The first usage error is
// kept, not returned at once, so that a later --help still wins.
struct Parsed {
  Request request;
  std::vector<std::string_view> positional;
  bool help = false;
  bool version = false;
  std::optional<UsageError> error;
};

Parsed ReadArguments(std::span<const std::string_view> args) {
  Parsed parsed;
  Request& request = parsed.request;
  const auto fail = [&](UsageError error) {
    if (!parsed.error) parsed.error = std::move(error);
  };
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
      parsed.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
      continue;
    }
    if (arg == "--version" || arg == "-V") {
      parsed.version = true;
      continue;
    }
    const auto [name, inlineValue] = SplitOption(arg);
    if (name == "--raw" && !inlineValue) {
      request.raw = true;
      continue;
    }
    if (name != "--key" && name != "--key-file") {
      fail({messages::kUnknownOption, std::string(arg)});
      continue;
    }
    std::string_view value;
    if (inlineValue) {
      value = *inlineValue;
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      fail({messages::kMissingValue, std::string(name)});
      continue;
    }
    if (request.key || request.keyFile) {
      fail({messages::kTwoKeys, {}});
      continue;
    }
    (name == "--key" ? request.key : request.keyFile) = std::string(value);
  }
  return parsed;
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string_view> args) {
  Parsed parsed = ReadArguments(args);
  if (parsed.help) return ShowHelp{};
  if (parsed.version) return ShowVersion{};
  if (parsed.error) return *std::move(parsed.error);

  Request& request = parsed.request;
  const std::vector<std::string_view>& positional = parsed.positional;
  if (positional.empty()) return UsageError{messages::kNoOperation, {}};
  if (positional[0] == "encrypt") {
    request.operation = Operation::kEncrypt;
  } else if (positional[0] == "decrypt") {
    request.operation = Operation::kDecrypt;
  } else {
    return UsageError{messages::kUnknownOperation, std::string(positional[0])};
  }
  if (positional.size() > 2) return UsageError{messages::kTwoInputs, {}};
  if (positional.size() == 2 && positional[1] != "-")
    request.inputFile = std::string(positional[1]);
  return request;
}

}  // namespace cli
