// Asking for the key on the controlling terminal, without echo.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "cli/file_io.h"

namespace cli {

struct NoTerminal {};

using TerminalKey = std::variant<std::string, NoTerminal, SystemError>;

// Writes the prompt to standard error and reads one line from /dev/tty with
// echo off, so a key never shows on screen or in a pipe. The line break is
// not part of the key. Echo comes back even when a signal ends the program
// while it waits.
TerminalKey ReadKeyFromTerminal(std::string_view prompt);

}  // namespace cli
