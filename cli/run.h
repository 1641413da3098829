// The program: reads the command line, the key and the text, runs the
// cipher and writes the result. Returns the exit code.
#pragma once

#include <span>
#include <string_view>

namespace cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int Run(std::span<const std::string_view> args);

}  // namespace cli
