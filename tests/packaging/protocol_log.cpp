#include "tests/packaging/protocol_log.h"

#include <charconv>

namespace packaging_test {
namespace {

std::optional<std::uint32_t> ParseId(std::string_view digits) {
  std::uint32_t id = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return id;
}

}  // namespace

std::optional<LoggedRequest> ParseRequestLine(std::string_view line) {
  constexpr std::string_view kSent = " -> ";
  const std::size_t sent = line.find(kSent);
  if (sent == std::string_view::npos) return std::nullopt;
  std::string_view rest = line.substr(sent + kSent.size());
  const std::size_t at = rest.find('@');
  const std::size_t dot = rest.find('.', at == std::string_view::npos ? 0 : at);
  const std::size_t open = rest.find('(', dot == std::string_view::npos ? 0 : dot);
  const std::size_t close = rest.rfind(')');
  if (at == std::string_view::npos || dot == std::string_view::npos ||
      open == std::string_view::npos || close == std::string_view::npos || close < open) {
    return std::nullopt;
  }
  const std::optional<std::uint32_t> object = ParseId(rest.substr(at + 1, dot - at - 1));
  if (!object) return std::nullopt;
  return LoggedRequest{std::string(rest.substr(0, at)), *object,
                       std::string(rest.substr(dot + 1, open - dot - 1)),
                       std::string(rest.substr(open + 1, close - open - 1))};
}

std::optional<std::uint32_t> LastObjectId(std::string_view text) {
  const std::size_t at = text.rfind('@');
  if (at == std::string_view::npos) return std::nullopt;
  std::size_t end = at + 1;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  return ParseId(text.substr(at + 1, end - at - 1));
}

}  // namespace packaging_test
