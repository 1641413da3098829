#include "ui/exit_handlers.h"

#include <algorithm>
#include <vector>

#include "cipher/text_cipher.h"

namespace ui {
namespace {

std::vector<ExitHandler>& Handlers() {
  static std::vector<ExitHandler> handlers;
  return handlers;
}

void Release(cipher::ByteBuffer& buffer) {
  if (buffer.capacity() == 0) return;
  cipher::ByteBuffer().swap(buffer);
}

}  // namespace

void RegisterExitHandler(ExitHandler handler) {
  auto& handlers = Handlers();
  if (std::find(handlers.begin(), handlers.end(), handler) == handlers.end()) {
    handlers.push_back(handler);
  }
}

void RunExitHandlers() {
  // Taken out first, so a handler that registers another cannot extend the run.
  std::vector<ExitHandler> running;
  running.swap(Handlers());
  for (const ExitHandler handler : running) handler();
}

void ClearExitHandlers() {
  std::vector<ExitHandler>().swap(Handlers());
}

void ReleaseLastBuffers() {
  Release(cipher::lastCipherBytes);
  Release(cipher::lastDecodedBytes);
}

}  // namespace ui
