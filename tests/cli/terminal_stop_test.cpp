// Ctrl+Z and fg at the key prompt, on a real pseudo-terminal with job
// control: the terminal is handed back as it was while the program is
// stopped, and the key typed after fg is still not echoed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace {

const std::string kProgram = TEXTCRYPT_CLI_PATH;
constexpr auto kPatience = std::chrono::seconds(20);

bool WaitFor(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

char ProcessState(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const auto close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() ? line[close + 2] : '?';
}

bool Echoes(int terminal) {
  termios settings{};
  tcgetattr(terminal, &settings);  // on the master side this reads the terminal's own
  return (settings.c_lflag & ECHO) != 0;
}

// Reads what the terminal shows, without waiting.
void Drain(int terminal, std::string& shown) {
  char chunk[4096];
  pollfd p{terminal, POLLIN, 0};
  while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
    const ssize_t n = read(terminal, chunk, sizeof chunk);
    if (n <= 0) break;
    shown.append(chunk, static_cast<std::size_t>(n));
  }
}

TEST(TerminalStop, StopAndContinueAtThePromptKeepTheKeyHidden) {
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(grantpt(terminal), 0);
  ASSERT_EQ(unlockpt(terminal), 0);
  const std::string slaveName = ptsname(terminal);
  int text[2], out[2], pidPipe[2];
  ASSERT_EQ(pipe2(text, O_CLOEXEC), 0);
  ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
  ASSERT_EQ(pipe2(pidPipe, O_CLOEXEC), 0);

  // A session leader stands in for the shell; the program runs in a process
  // group of its own in the foreground, so that a stop really stops it.
  const pid_t shell = fork();
  ASSERT_GE(shell, 0);
  if (shell == 0) {
    // Only the program may hold the pipes' other ends, or they never end.
    close(text[1]);
    close(out[0]);
    close(pidPipe[0]);
    setsid();
    const int slave = open(slaveName.c_str(), O_RDWR);
    if (slave < 0 || ioctl(slave, TIOCSCTTY, 0) != 0) _exit(126);
    const pid_t program = fork();
    if (program == 0) {
      setpgid(0, 0);
      signal(SIGTTOU, SIG_IGN);
      tcsetpgrp(slave, getpgrp());
      signal(SIGTTOU, SIG_DFL);
      dup2(text[0], STDIN_FILENO);
      dup2(out[1], STDOUT_FILENO);
      dup2(slave, STDERR_FILENO);
      setenv("LC_ALL", "C.UTF-8", 1);
      execl(kProgram.c_str(), kProgram.c_str(), "encrypt", static_cast<char*>(nullptr));
      _exit(127);
    }
    setpgid(program, program);
    close(text[0]);
    close(out[1]);
    if (write(pidPipe[1], &program, sizeof program) != sizeof program) _exit(126);
    int status = 0;
    waitpid(program, &status, 0);
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 125);
  }
  close(text[0]);
  close(out[1]);
  close(pidPipe[1]);
  pid_t program = -1;
  ASSERT_EQ(read(pidPipe[0], &program, sizeof program), static_cast<ssize_t>(sizeof program));
  close(pidPipe[0]);
  ASSERT_EQ(write(text[1], "你好", 6), 6);
  close(text[1]);

  std::string shown;
  const auto showed = [&](std::string_view what) {
    return WaitFor([&] {
      Drain(terminal, shown);
      return shown.find(what) != std::string::npos;
    });
  };
  ASSERT_TRUE(showed("请输入密钥：")) << shown;
  EXPECT_FALSE(Echoes(terminal));

  // Ctrl+Z: stopped, with the terminal as the shell left it.
  ASSERT_EQ(write(terminal, "\x1a", 1), 1);
  ASSERT_TRUE(WaitFor([&] { return ProcessState(program) == 'T'; }));
  EXPECT_TRUE(Echoes(terminal));

  // fg: echo off again, and the prompt shows again for the key.
  shown.clear();
  kill(program, SIGCONT);
  EXPECT_TRUE(WaitFor([&] { return !Echoes(terminal); }));
  EXPECT_TRUE(showed("请输入密钥：")) << shown;
  ASSERT_EQ(write(terminal, "密钥\n", 7), 7);

  std::string ciphertext;
  char chunk[256];
  for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) {
    ciphertext.append(chunk, static_cast<std::size_t>(n));
  }
  close(out[0]);
  int status = 0;
  waitpid(shell, &status, 0);
  Drain(terminal, shown);
  close(terminal);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(ciphertext, "+AUR+g==\n");
  EXPECT_EQ(shown.find("密钥\r"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("密钥\n"), std::string::npos) << shown;
}

}  // namespace
