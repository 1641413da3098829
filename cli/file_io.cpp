#include "cli/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace cli {

FileContent ReadAllFrom(int fd) {
  std::string content;
  std::array<char, 65536> chunk;
  for (;;) {
    const ssize_t n = read(fd, chunk.data(), chunk.size());
    if (n == 0) return content;
    if (n < 0) {
      if (errno == EINTR) continue;
      return SystemError{errno};
    }
    content.append(chunk.data(), static_cast<std::size_t>(n));
  }
}

FileContent ReadWholeFile(const std::string& path) {
  int fd;
  do {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return SystemError{errno};
  FileContent content = ReadAllFrom(fd);
  close(fd);
  return content;
}

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

}  // namespace cli
