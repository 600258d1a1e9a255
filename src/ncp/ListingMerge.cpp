#include "ncp/ListingMerge.h"

#include <cstdint>
#include <cstring>

void ListingMerge::Waiting::push(std::string_view event) {
  const auto size = static_cast<uint32_t>(event.size());
  m_bytes.append(reinterpret_cast<const char*>(&size), sizeof size);
  m_bytes.append(event);
}

void ListingMerge::Waiting::pop(std::string& event) {
  uint32_t size = 0;
  std::memcpy(&size, m_bytes.data() + m_read, sizeof size);
  event.assign(m_bytes, m_read + sizeof size, size);
  m_read += sizeof size + size;
  if (empty()) {
    std::string().swap(m_bytes);
    m_read = 0;
  }
}

ListingMerge::ListingMerge(size_t listings, size_t limit, std::function<void(const std::string&)> forward,
                           std::function<void()> done)
    : m_waiting(listings),
      m_ended(listings, false),
      m_limit(limit),
      m_forward(std::move(forward)),
      m_done(std::move(done)) {}

bool ListingMerge::add(size_t i, const std::string& event) {
  if (i >= m_ended.size() || m_ended[i]) return true;
  if (i == m_head && !backlog()) {
    m_forward(event);
    return true;
  }
  if (m_waitingCount >= m_limit) return false;
  m_waiting[i].push(event);
  ++m_waitingCount;
  return true;
}

void ListingMerge::end(size_t i) {
  if (i >= m_ended.size() || m_ended[i]) return;
  m_ended[i] = true;
  advance();
}

void ListingMerge::handOn(size_t most) {
  for (; most > 0 && backlog(); --most) {
    m_waiting[m_head].pop(m_event);
    --m_waitingCount;
    m_forward(m_event);
  }
  advance();
}

void ListingMerge::advance() {
  if (finished()) return;
  while (!finished() && m_ended[m_head] && !backlog()) ++m_head;
  if (finished()) m_done();
}
