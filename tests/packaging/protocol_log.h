// Reads the requests a Wayland client sends from libwayland's protocol log
// (WAYLAND_DEBUG=client), whose request lines look like
//   [1845969.599]  -> xdg_toplevel@14.set_min_size(968, 566)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace packaging_test {

struct LoggedRequest {
  std::string interface;  // "xdg_toplevel"
  std::uint32_t object = 0;
  std::string name;       // "set_min_size"
  std::string arguments;  // "968, 566", as logged
};

// The request on a log line; nothing for events and other lines.
std::optional<LoggedRequest> ParseRequestLine(std::string_view line);

// The object id of the last "interface@id" in text: a new id among arguments.
std::optional<std::uint32_t> LastObjectId(std::string_view text);

}  // namespace packaging_test
