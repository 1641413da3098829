// The program: reads the command line, the key and the text, runs the
// cipher and writes the result. Returns the exit code.
#pragma once

#include <span>
#include <string_view>

#include "cli/console.h"

namespace cli {

int Run(std::span<const std::string_view> args);

}  // namespace cli
