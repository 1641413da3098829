// The real window on a headless Weston with Qt's Wayland platform: it must
// come up there (no other platform to fall back to), name its desktop entry,
// keep its fixed size, and end with 0 when the compositor closes it the way
// a click on the title bar's close button does (xdg_toplevel.close).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/packaging/protocol_log.h"
#include "tests/packaging/wayland_relay.h"

extern char** environ;

namespace packaging_test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTimeLimit = std::chrono::seconds(30);
constexpr std::uint16_t kXdgToplevelClose = 1;

// A child in its own process group; the whole group is ended when this goes.
class Child {
 public:
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
        int output) {
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      setpgid(0, 0);
      const int null = open("/dev/null", O_RDONLY);
      dup2(null, STDIN_FILENO);
      dup2(output, STDOUT_FILENO);
      dup2(output, STDERR_FILENO);
      std::vector<char*> args;
      for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
      args.push_back(nullptr);
      std::vector<char*> envp;
      for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
      envp.push_back(nullptr);
      execvpe(args[0], args.data(), envp.data());
      _exit(127);
    }
    setpgid(pid_, pid_);
  }
  ~Child() { Stop(); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // The wait status once the child has ended.
  std::optional<int> Poll() {
    if (status_) return status_;
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    return status_;
  }

  // Asks the group to end, then makes sure it has.
  void Stop() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGTERM);
    const auto giveUp = Clock::now() + std::chrono::seconds(5);
    while (!Poll() && Clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(-pid_, SIGKILL);
    if (!status_) {
      int status;
      waitpid(pid_, &status, 0);
      status_ = status;
    }
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

std::vector<std::string> Environment(const std::vector<std::string>& overrides) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text = *entry;
    if (text.starts_with("DISPLAY=") || text.starts_with("WAYLAND_") ||
        text.starts_with("QT_QPA_") || text.starts_with("XDG_RUNTIME_DIR=")) {
      continue;
    }
    environment.emplace_back(text);
  }
  environment.insert(environment.end(), overrides.begin(), overrides.end());
  return environment;
}

sockaddr_un SocketAddress(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof address.sun_path) throw std::runtime_error("socket path too long");
  text.copy(address.sun_path, text.size());
  return address;
}

int Connect(const std::filesystem::path& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_un address = SocketAddress(path);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
  close(fd);
  return -1;
}

int Listen(const std::filesystem::path& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_un address = SocketAddress(path);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, 1) != 0) {
    throw std::runtime_error("cannot listen on " + path.string());
  }
  return fd;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// What the window told the compositor, read from libwayland's protocol log
// (WAYLAND_DEBUG=client) on its stderr.
struct WindowRequests {
  std::optional<std::uint32_t> toplevel;
  std::string appId;
  std::pair<int, int> minimumSize{-1, -1};
  std::pair<int, int> maximumSize{-1, -1};
  bool configured = false;  // acknowledged the compositor's first configure
  bool attached = false;    // then gave its surface a buffer
  bool shown = false;       // and committed it: the window is on screen

  void Read(std::string_view line) {
    const std::optional<LoggedRequest> request = ParseRequestLine(line);
    if (!request) return;
    if (request->interface == "xdg_surface" && request->name == "get_toplevel") {
      if (!toplevel) toplevel = LastObjectId(request->arguments);
    } else if (request->interface == "xdg_surface" && request->name == "ack_configure") {
      configured = true;
    } else if (request->interface == "wl_surface" && request->name == "attach") {
      attached = attached || (configured && request->arguments.starts_with("wl_buffer@"));
    } else if (request->interface == "wl_surface" && request->name == "commit") {
      shown = shown || attached;
    } else if (request->interface == "xdg_toplevel" && request->object == toplevel) {
      ReadToplevelRequest(*request);
    }
  }

 private:
  void ReadToplevelRequest(const LoggedRequest& request) {
    if (request.name == "set_app_id") {
      // A string argument is logged in double quotes.
      appId = request.arguments;
      if (appId.size() >= 2 && appId.front() == '"' && appId.back() == '"') {
        appId = appId.substr(1, appId.size() - 2);
      }
    } else if (request.name == "set_min_size" || request.name == "set_max_size") {
      std::pair<int, int> size{-1, -1};
      if (std::sscanf(request.arguments.c_str(), "%d, %d", &size.first, &size.second) != 2) {
        size = {-1, -1};
      }
      (request.name == "set_min_size" ? minimumSize : maximumSize) = size;
    }
  }
};

class WaylandSession : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/textcrypt-wayland-XXXXXX";  // mkdtemp makes it 0700
    ASSERT_NE(mkdtemp(pattern), nullptr);
    runtimeDir_ = pattern;
    const int log =
        open((runtimeDir_ / "weston.log").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(log, 0);
    compositor_.emplace(
        std::vector<std::string>{"weston", "--backend=headless-backend.so", "--socket=compositor",
                                 "--idle-time=0", "--no-config"},
        Environment({"XDG_RUNTIME_DIR=" + runtimeDir_.string()}), log);
    close(log);
    const auto giveUp = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < giveUp && !compositor_->Poll()) {
      const int probe = Connect(runtimeDir_ / "compositor");
      if (probe >= 0) {
        close(probe);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    FAIL() << "weston (Debian package weston) did not start:\n"
           << ReadFile(runtimeDir_ / "weston.log");
  }

  void TearDown() override {
    compositor_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(runtimeDir_, ignored);
  }

  std::filesystem::path runtimeDir_;
  std::optional<Child> compositor_;
};

TEST_F(WaylandSession, WindowRunsNativelyAndEndsWithZeroWhenTheCompositorClosesIt) {
  const int listener = Listen(runtimeDir_ / "relay");
  int logPipe[2];
  ASSERT_EQ(pipe2(logPipe, O_CLOEXEC), 0);
  Child window({TEXTCRYPT_PROGRAM},
               Environment({"XDG_RUNTIME_DIR=" + runtimeDir_.string(), "WAYLAND_DISPLAY=relay",
                            "QT_QPA_PLATFORM=wayland", "WAYLAND_DEBUG=client"}),
               logPipe[1]);
  close(logPipe[1]);

  std::optional<WaylandRelay> relay;
  WindowRequests requests;
  std::string log;
  std::string partialLine;
  bool closeSent = false;
  bool logOpen = true;
  std::optional<int> status;
  const auto giveUp = Clock::now() + kTimeLimit;
  while (Clock::now() < giveUp && (logOpen || !status)) {
    std::vector<pollfd> fds{{logPipe[0], POLLIN, 0}};
    if (relay) {
      fds.push_back({relay->client(), POLLIN, 0});
      fds.push_back({relay->compositor(), POLLIN, 0});
    } else {
      fds.push_back({listener, POLLIN, 0});
    }
    poll(fds.data(), fds.size(), 50);

    if (fds[0].revents != 0) {
      char buffer[4096];
      const ssize_t count = read(logPipe[0], buffer, sizeof buffer);
      if (count <= 0) {
        logOpen = false;
      } else {
        log.append(buffer, static_cast<std::size_t>(count));
        partialLine.append(buffer, static_cast<std::size_t>(count));
        for (std::size_t end; (end = partialLine.find('\n')) != std::string::npos;) {
          requests.Read(partialLine.substr(0, end));
          partialLine.erase(0, end + 1);
        }
      }
    }
    if (!relay && fds[1].revents != 0) {
      const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      const int compositor = Connect(runtimeDir_ / "compositor");
      ASSERT_GE(client, 0);
      ASSERT_GE(compositor, 0) << "the relay cannot reach weston";
      relay.emplace(client, compositor);
    } else if (relay) {
      bool open = true;
      if (fds[1].revents != 0) open = relay->ForwardFromClient() && open;
      if (fds[2].revents != 0) open = relay->ForwardFromCompositor() && open;
      if (!open) relay.reset();
    }
    if (relay && requests.shown && requests.toplevel && !closeSent) {
      closeSent = relay->SendEventToClient(*requests.toplevel, kXdgToplevelClose);
    }
    status = window.Poll();
  }
  close(listener);
  close(logPipe[0]);

  ASSERT_TRUE(status) << "the window did not end within " << kTimeLimit.count() << " s; log:\n"
                      << log;
  ASSERT_TRUE(requests.toplevel) << "the window never reached the compositor:\n" << log;
  EXPECT_TRUE(requests.shown) << log;
  EXPECT_TRUE(closeSent) << "the window ended before it was closed:\n" << log;
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
      << "wait status " << *status << "; log:\n"
      << log;
  EXPECT_EQ(requests.appId, TEXTCRYPT_DESKTOP_FILE_NAME);
  // A fixed size: a compositor offers no maximise and no resizing.
  EXPECT_GT(requests.minimumSize.first, 0);
  EXPECT_GT(requests.minimumSize.second, 0);
  EXPECT_EQ(requests.minimumSize, requests.maximumSize) << log;
}

}  // namespace
}  // namespace packaging_test
