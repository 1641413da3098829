// File reads and writes on file descriptors, with the system's error.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace cli {

struct SystemError {
  int code;  // errno
};

using FileContent = std::variant<std::string, SystemError>;

// At most maxBytes bytes of the file: a longer file gives maxBytes of them.
FileContent ReadFileUpTo(const std::string& path, std::size_t maxBytes);

// A descriptor open for reading, or why there is none. A directory is
// refused here, so it fails before anything else is asked for.
std::variant<int, SystemError> OpenForReading(const std::string& path);

// Whether the file at `path` is the one open as `fd` (false when either
// cannot be looked at).
bool IsSameFile(const std::string& path, int fd);

// Writes every byte, retrying short writes; 0 or the errno of the failure.
int WriteAll(int fd, std::string_view bytes);

}  // namespace cli
