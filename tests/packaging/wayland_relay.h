// A relay between one Wayland client and the compositor. It passes every
// byte and file descriptor through unchanged, and can slip an event into the
// compositor's stream at a message boundary, exactly as the compositor would
// have sent it.
#pragma once

#include <cstdint>
#include <vector>

namespace packaging_test {

class WaylandRelay {
 public:
  // Takes ownership of both connected sockets.
  WaylandRelay(int client, int compositor);
  ~WaylandRelay();
  WaylandRelay(const WaylandRelay&) = delete;
  WaylandRelay& operator=(const WaylandRelay&) = delete;

  int client() const { return client_; }
  int compositor() const { return compositor_; }

  // Moves what waits on the given side to the other. False once that side
  // has hung up or failed.
  bool ForwardFromClient();
  bool ForwardFromCompositor();

  // Sends the client an event without arguments, such as xdg_toplevel.close.
  // False when the client has gone.
  bool SendEventToClient(std::uint32_t object, std::uint16_t opcode);

 private:
  int client_;
  int compositor_;
  // The compositor's bytes after the last whole message, held back so that
  // an event of ours never lands inside one of its messages.
  std::vector<std::uint8_t> heldBack_;
  std::vector<int> heldFds_;
};

}  // namespace packaging_test
