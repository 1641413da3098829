#include "tests/cli/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace cli_test {
namespace {

constexpr auto kTimeLimit = std::chrono::seconds(60);

struct Pipe {
  int read = -1;
  int write = -1;
};

Pipe MakePipe() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  return {fds[0], fds[1]};
}

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry = *e;
    if (entry.starts_with("LC_") || entry.starts_with("LANG=") || entry.starts_with("LANGUAGE=")) {
      continue;
    }
    env.emplace_back(entry);
  }
  env.emplace_back("LC_ALL=C.UTF-8");
  for (const std::string& entry : extra) {
    const std::string name = entry.substr(0, entry.find('=') + 1);
    std::erase_if(env, [&](const std::string& e) { return e.starts_with(name); });
    env.push_back(entry);
  }
  return env;
}

[[noreturn]] void BecomeChild(const std::string& program, const Launch& launch, const Pipe& in,
                              const Pipe& out, const Pipe& err, int terminal,
                              const std::vector<std::string>& env) {
  setsid();
  if (terminal >= 0) {
    const char* name = ptsname(terminal);
    const int slave = name != nullptr ? open(name, O_RDWR) : -1;
    if (slave < 0 || ioctl(slave, TIOCSCTTY, 0) != 0) _exit(126);
    close(slave);
  }
  if (launch.addressSpaceBytes) {
    const rlimit limit{*launch.addressSpaceBytes, *launch.addressSpaceBytes};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(126);
  }
  dup2(in.read, STDIN_FILENO);
  if (launch.standardOutputPath) {
    const int file = open(launch.standardOutputPath->c_str(), O_WRONLY);
    if (file < 0) _exit(126);
    dup2(file, STDOUT_FILENO);
  } else {
    dup2(out.write, STDOUT_FILENO);
  }
  dup2(err.write, STDERR_FILENO);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : launch.args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : env) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);
  execve(program.c_str(), argv.data(), envp.data());
  _exit(127);
}

}  // namespace

Finished RunProgram(const std::string& program, const Launch& launch) {
  const std::vector<std::string> env = ChildEnvironment(launch.environment);
  Pipe in = MakePipe(), out = MakePipe(), err = MakePipe();
  int terminal = -1;
  if (launch.typedAtPrompt) {
    terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0) {
      throw std::runtime_error("no pseudo-terminal");
    }
  }

  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) BecomeChild(program, launch, in, out, err, terminal, env);

  close(in.read);
  close(out.write);
  close(err.write);
  signal(SIGPIPE, SIG_IGN);  // the child may stop reading its input early

  Finished finished;
  std::string_view toWrite = launch.standardInput;
  std::string_view toType;
  bool typed = !launch.typedAtPrompt;
  int inFd = in.write, outFd = out.read, errFd = err.read;
  if (toWrite.empty()) {
    close(inFd);
    inFd = -1;
  }
  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  while (outFd >= 0 || errFd >= 0) {
    if (!typed && finished.err.find(launch.promptToAwait) != std::string::npos) {
      typed = true;
      toType = *launch.typedAtPrompt;
    }
    std::vector<pollfd> fds;
    if (inFd >= 0) fds.push_back({inFd, POLLOUT, 0});
    if (outFd >= 0) fds.push_back({outFd, POLLIN, 0});
    if (errFd >= 0) fds.push_back({errFd, POLLIN, 0});
    if (terminal >= 0)
      fds.push_back({terminal, static_cast<short>(POLLIN | (toType.empty() ? 0 : POLLOUT)), 0});
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(child, SIGKILL);
      break;
    }
    if (poll(fds.data(), fds.size(), static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    for (const pollfd& p : fds) {
      if (p.revents == 0) continue;
      std::array<char, 4096> chunk;
      if (p.fd == inFd) {
        const ssize_t n = write(inFd, toWrite.data(), toWrite.size());
        if (n > 0) toWrite.remove_prefix(static_cast<std::size_t>(n));
        if (n > 0 && toWrite.empty() && launch.endlessInput) toWrite = launch.standardInput;
        if (n < 0 || toWrite.empty()) {
          close(inFd);
          inFd = -1;
        }
      } else if (p.fd == terminal) {
        if ((p.revents & POLLOUT) && !toType.empty()) {
          const ssize_t n = write(terminal, toType.data(), toType.size());
          if (n > 0) toType.remove_prefix(static_cast<std::size_t>(n));
        }
        if (p.revents & POLLIN) {
          const ssize_t n = read(terminal, chunk.data(), chunk.size());
          if (n > 0) finished.terminalShowed.append(chunk.data(), static_cast<std::size_t>(n));
        }
      } else {
        std::string& sink = p.fd == outFd ? finished.out : finished.err;
        int& fd = p.fd == outFd ? outFd : errFd;
        const ssize_t n = read(fd, chunk.data(), chunk.size());
        if (n > 0) {
          sink.append(chunk.data(), static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
          close(fd);
          fd = -1;
        }
      }
    }
  }
  if (inFd >= 0) close(inFd);
  if (outFd >= 0) close(outFd);
  if (errFd >= 0) close(errFd);
  int status = 0;
  waitpid(child, &status, 0);
  if (terminal >= 0) close(terminal);
  finished.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return finished;
}

}  // namespace cli_test
