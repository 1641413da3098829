#include "cli/terminal_key.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace cli {
namespace {

constexpr std::array kSignalsThatEnd = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// What a signal handler needs to put the terminal back.
volatile sig_atomic_t echoOffFd = -1;
termios savedSettings;

void RestoreEchoAndDie(int signal) {
  if (echoOffFd >= 0) tcsetattr(echoOffFd, TCSANOW, &savedSettings);
  ::signal(signal, SIG_DFL);
  raise(signal);
}

class EchoOff {
 public:
  explicit EchoOff(int fd) : fd_(fd) {
    termios quiet = savedSettings;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
    quiet.c_lflag |= ICANON;
    struct sigaction onSignal {};
    onSignal.sa_handler = RestoreEchoAndDie;
    sigemptyset(&onSignal.sa_mask);
    for (std::size_t i = 0; i < kSignalsThatEnd.size(); ++i) {
      sigaction(kSignalsThatEnd[i], &onSignal, &previous_[i]);
    }
    echoOffFd = fd;
    tcsetattr(fd, TCSAFLUSH, &quiet);
  }
  ~EchoOff() {
    tcsetattr(fd_, TCSANOW, &savedSettings);
    echoOffFd = -1;
    for (std::size_t i = 0; i < kSignalsThatEnd.size(); ++i) {
      sigaction(kSignalsThatEnd[i], &previous_[i], nullptr);
    }
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  int fd_;
  std::array<struct sigaction, kSignalsThatEnd.size()> previous_{};
};

TerminalKey ReadLine(int fd) {
  std::string line;
  char c;
  for (;;) {
    const ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return SystemError{errno};
    if (n == 0 || c == '\n') return line;
    line += c;
  }
}

}  // namespace

TerminalKey ReadKeyFromTerminal(std::string_view prompt) {
  const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return NoTerminal{};
  if (tcgetattr(fd, &savedSettings) != 0) {
    close(fd);
    return NoTerminal{};
  }
  // Echo goes off before the prompt shows, so nothing typed after the
  // prompt can be echoed; what was typed ahead of it is discarded.
  TerminalKey key = [&] {
    EchoOff quiet(fd);
    WriteAll(STDERR_FILENO, prompt);
    return ReadLine(fd);
  }();
  // The Enter that ended the key was not echoed.
  WriteAll(STDERR_FILENO, "\n");
  close(fd);
  return key;
}

}  // namespace cli
