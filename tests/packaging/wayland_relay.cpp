#include "tests/packaging/wayland_relay.h"

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace packaging_test {
namespace {

// libwayland sends at most 28 descriptors with one message; room for more.
constexpr std::size_t kMaxFds = 64;
constexpr std::size_t kHeaderSize = 8;

struct Received {
  std::vector<std::uint8_t> bytes;
  std::vector<int> fds;
  bool open = true;
};

Received Receive(int socket) {
  Received received;
  std::array<std::uint8_t, 4096> buffer;
  alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(int) * kMaxFds)> control;
  iovec iov{buffer.data(), buffer.size()};
  msghdr message{};
  message.msg_iov = &iov;
  message.msg_iovlen = 1;
  message.msg_control = control.data();
  message.msg_controllen = control.size();
  ssize_t count;
  do {
    count = recvmsg(socket, &message, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
  } while (count < 0 && errno == EINTR);
  if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return received;
  if (count <= 0) {
    received.open = false;
    return received;
  }
  received.bytes.assign(buffer.begin(), buffer.begin() + count);
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
       header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
    const std::size_t count_fds = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (std::size_t i = 0; i < count_fds; ++i) {
      int fd;
      std::memcpy(&fd, CMSG_DATA(header) + i * sizeof(int), sizeof(int));
      received.fds.push_back(fd);
    }
  }
  return received;
}

// Sends every byte; the descriptors go with the first part and are closed
// here. False when the other end has gone.
bool Send(int socket, const std::uint8_t* bytes, std::size_t size, std::vector<int>& fds) {
  alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(int) * kMaxFds)> control{};
  while (size > 0) {
    iovec iov{const_cast<std::uint8_t*>(bytes), size};
    msghdr message{};
    message.msg_iov = &iov;
    message.msg_iovlen = 1;
    if (!fds.empty()) {
      if (fds.size() > kMaxFds) throw std::runtime_error("too many descriptors at once");
      message.msg_control = control.data();
      message.msg_controllen = CMSG_SPACE(sizeof(int) * fds.size());
      cmsghdr* header = CMSG_FIRSTHDR(&message);
      header->cmsg_level = SOL_SOCKET;
      header->cmsg_type = SCM_RIGHTS;
      header->cmsg_len = CMSG_LEN(sizeof(int) * fds.size());
      std::memcpy(CMSG_DATA(header), fds.data(), sizeof(int) * fds.size());
    }
    const ssize_t sent = sendmsg(socket, &message, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && (errno == EPIPE || errno == ECONNRESET)) return false;
    if (sent < 0) throw std::runtime_error(std::string("relay send: ") + std::strerror(errno));
    for (const int fd : fds) close(fd);
    fds.clear();
    bytes += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

}  // namespace

WaylandRelay::WaylandRelay(int client, int compositor) : client_(client), compositor_(compositor) {}

WaylandRelay::~WaylandRelay() {
  for (const int fd : heldFds_) close(fd);
  close(client_);
  close(compositor_);
}

bool WaylandRelay::ForwardFromClient() {
  Received received = Receive(client_);
  bool open = received.open;
  if (!received.bytes.empty()) {
    open = Send(compositor_, received.bytes.data(), received.bytes.size(), received.fds) && open;
  }
  for (const int fd : received.fds) close(fd);
  return open;
}

bool WaylandRelay::ForwardFromCompositor() {
  Received received = Receive(compositor_);
  heldBack_.insert(heldBack_.end(), received.bytes.begin(), received.bytes.end());
  heldFds_.insert(heldFds_.end(), received.fds.begin(), received.fds.end());
  // Each message starts with its object id and a word holding its size in
  // the upper 16 bits.
  std::size_t whole = 0;
  while (heldBack_.size() - whole >= kHeaderSize) {
    std::uint32_t sizeAndOpcode;
    std::memcpy(&sizeAndOpcode, heldBack_.data() + whole + 4, sizeof sizeAndOpcode);
    const std::size_t size = sizeAndOpcode >> 16;
    if (size < kHeaderSize) throw std::runtime_error("malformed message from the compositor");
    if (heldBack_.size() - whole < size) break;
    whole += size;
  }
  bool open = received.open;
  if (whole > 0) {
    // Descriptors may run ahead of their message: the client queues them.
    open = Send(client_, heldBack_.data(), whole, heldFds_) && open;
    heldBack_.erase(heldBack_.begin(), heldBack_.begin() + static_cast<std::ptrdiff_t>(whole));
  }
  return open;
}

bool WaylandRelay::SendEventToClient(std::uint32_t object, std::uint16_t opcode) {
  const std::uint32_t message[2] = {object,
                                    (static_cast<std::uint32_t>(kHeaderSize) << 16) | opcode};
  std::vector<int> noFds;
  return Send(client_, reinterpret_cast<const std::uint8_t*>(message), sizeof message, noFds);
}

}  // namespace packaging_test
