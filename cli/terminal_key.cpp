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
// A stop hands the terminal back as it was; on continuing, echo goes off
// again and the prompt shows again, and the key is read on.
constexpr std::array kSignalsThatPause = {SIGTSTP, SIGCONT};
constexpr std::size_t kHandled = kSignalsThatEnd.size() + kSignalsThatPause.size();

// What a signal handler needs to put the terminal back or quiet it again.
volatile sig_atomic_t echoOffFd = -1;
termios savedSettings;
termios quietSettings;
const char* promptBytes = nullptr;
std::size_t promptSize = 0;
// Set while the program stops at the user's request, until it continues.
volatile sig_atomic_t stoppedByUser = 0;

void RestoreEchoAndDie(int signal) {
  if (echoOffFd >= 0) tcsetattr(echoOffFd, TCSANOW, &savedSettings);
  ::signal(signal, SIG_DFL);
  raise(signal);
}

bool InForeground(int fd) {
  return tcgetpgrp(fd) == getpgrp();
}

// Only the foreground may change the terminal: in the background, reading
// stops the program again, and the continue after `fg` comes back here.
void QuietAgain(bool showPrompt) {
  const int fd = echoOffFd;
  if (fd < 0 || !InForeground(fd)) return;
  tcsetattr(fd, TCSANOW, &quietSettings);
  if (showPrompt) {
    // The shell has written over the line since the stop.
    [[maybe_unused]] const auto written = write(STDERR_FILENO, promptBytes, promptSize);
  }
}

void OnPause(int signal) {
  const int savedErrno = errno;
  if (signal == SIGCONT) {
    QuietAgain(stoppedByUser != 0);
    stoppedByUser = 0;
    errno = savedErrno;
    return;
  }
  // SIGTSTP: the terminal as it was, then the stop the user asked for. The
  // default action stops; this handler comes back once SIGCONT arrives.
  if (echoOffFd >= 0) tcsetattr(echoOffFd, TCSANOW, &savedSettings);
  struct sigaction stopNow {};
  stopNow.sa_handler = SIG_DFL;
  sigemptyset(&stopNow.sa_mask);
  struct sigaction mine {};
  sigaction(SIGTSTP, &stopNow, &mine);
  sigset_t tstp;
  sigemptyset(&tstp);
  sigaddset(&tstp, SIGTSTP);
  stoppedByUser = 1;
  sigprocmask(SIG_UNBLOCK, &tstp, nullptr);
  raise(SIGTSTP);
  sigaction(SIGTSTP, &mine, nullptr);
  if (stoppedByUser != 0) {
    // No SIGCONT came: the system does not stop a program whose process
    // group has no shell to bring it back, so it goes on at once, quiet.
    stoppedByUser = 0;
    QuietAgain(false);
  }
  errno = savedErrno;
}

class EchoOff {
 public:
  EchoOff(int fd, std::string_view prompt) : fd_(fd) {
    quietSettings = savedSettings;
    quietSettings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
    quietSettings.c_lflag |= ICANON;
    promptBytes = prompt.data();
    promptSize = prompt.size();
    Handle(kSignalsThatEnd, RestoreEchoAndDie, 0);
    Handle(kSignalsThatPause, OnPause, kSignalsThatEnd.size());
    echoOffFd = fd;
    tcsetattr(fd, TCSAFLUSH, &quietSettings);
  }
  ~EchoOff() {
    tcsetattr(fd_, TCSANOW, &savedSettings);
    echoOffFd = -1;
    for (std::size_t i = 0; i < kSignalsThatEnd.size(); ++i) {
      sigaction(kSignalsThatEnd[i], &previous_[i], nullptr);
    }
    for (std::size_t i = 0; i < kSignalsThatPause.size(); ++i) {
      sigaction(kSignalsThatPause[i], &previous_[kSignalsThatEnd.size() + i], nullptr);
    }
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  template <std::size_t N>
  void Handle(const std::array<int, N>& signals, void (*handler)(int), std::size_t slot) {
    struct sigaction onSignal {};
    onSignal.sa_handler = handler;
    sigemptyset(&onSignal.sa_mask);
    // The pause handler runs with the others held off, so that an ending
    // signal never finds the terminal half restored.
    for (int s : kSignalsThatEnd) sigaddset(&onSignal.sa_mask, s);
    for (std::size_t i = 0; i < N; ++i) sigaction(signals[i], &onSignal, &previous_[slot + i]);
  }

  int fd_;
  std::array<struct sigaction, kHandled> previous_{};
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
    EchoOff quiet(fd, prompt);
    WriteAll(STDERR_FILENO, prompt);
    return ReadLine(fd);
  }();
  // The Enter that ended the key was not echoed.
  WriteAll(STDERR_FILENO, "\n");
  close(fd);
  return key;
}

}  // namespace cli
