#include "ncp/NcpEvent.h"

#include <algorithm>

namespace ncp {

namespace {

constexpr size_t kCodeLength = 3;

}  // namespace

std::string formatEvent(NcpEvent event, std::string_view payload) {
  const auto code = static_cast<unsigned>(event);
  std::string text{char('0' + code / 100 % 10), char('0' + code / 10 % 10), char('0' + code % 10)};
  text.append(payload);
  return text;
}

std::optional<NcpEvent> parseEvent(std::string_view text) {
  if (text.size() < kCodeLength) return std::nullopt;
  unsigned code = 0;
  for (const char c : text.substr(0, kCodeLength)) {
    if (c < '0' || c > '9') return std::nullopt;
    code = code * 10 + static_cast<unsigned>(c - '0');
  }
  const auto known = std::find_if(kNcpEvents.begin(), kNcpEvents.end(),
                                  [code](NcpEvent e) { return static_cast<unsigned>(e) == code; });
  if (known == kNcpEvents.end()) return std::nullopt;
  return *known;
}

std::string_view eventPayload(std::string_view text) {
  return text.size() > kCodeLength ? text.substr(kCodeLength) : std::string_view{};
}

}  // namespace ncp
