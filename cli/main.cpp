#include <unistd.h>

#include <string_view>
#include <vector>

#include "cli/run.h"

int main(int argc, char** argv) {
  try {
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return cli::Run(args);
  } catch (...) {
    // Nothing may end the program with a signal: even when the message
    // cannot be put into the locale's encoding, it is said and the exit
    // code is the failure's.
    constexpr std::string_view kOutOfMemory = "textcrypt-cli：内存不足，无法完成操作\n";
    [[maybe_unused]] const auto written =
        write(STDERR_FILENO, kOutOfMemory.data(), kOutOfMemory.size());
    return cli::kExitFailure;
  }
}
