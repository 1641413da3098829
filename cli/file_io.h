// Whole-file reads and writes on file descriptors, with the system's error.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace cli {

struct SystemError {
  int code;  // errno
};

using FileContent = std::variant<std::string, SystemError>;

FileContent ReadWholeFile(const std::string& path);
FileContent ReadAllFrom(int fd);

// Writes every byte, retrying short writes; 0 or the errno of the failure.
int WriteAll(int fd, std::string_view bytes);

}  // namespace cli
