#include "cli/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace cli {
namespace {

FileContent ReadUpTo(int fd, std::size_t maxBytes) {
  std::string content;
  std::array<char, 65536> chunk;
  while (content.size() < maxBytes) {
    const std::size_t wanted = std::min(chunk.size(), maxBytes - content.size());
    const ssize_t n = read(fd, chunk.data(), wanted);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return SystemError{errno};
    }
    content.append(chunk.data(), static_cast<std::size_t>(n));
  }
  return content;
}

}  // namespace

FileContent ReadFileUpTo(const std::string& path, std::size_t maxBytes) {
  auto opened = OpenForReading(path);
  if (auto* error = std::get_if<SystemError>(&opened)) return *error;
  const int fd = std::get<int>(opened);
  FileContent content = ReadUpTo(fd, maxBytes);
  close(fd);
  return content;
}

std::variant<int, SystemError> OpenForReading(const std::string& path) {
  int fd;
  do {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return SystemError{errno};
  struct stat status {};
  if (fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
    close(fd);
    return SystemError{EISDIR};
  }
  return fd;
}

bool IsSameFile(const std::string& path, int fd) {
  struct stat named {
  }, open{};
  if (stat(path.c_str(), &named) != 0 || fstat(fd, &open) != 0) return false;
  return named.st_dev == open.st_dev && named.st_ino == open.st_ino;
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
