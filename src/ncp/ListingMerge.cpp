#include "ncp/ListingMerge.h"

ListingMerge::ListingMerge(size_t listings, size_t limit, std::function<void(const std::string&)> forward,
                           std::function<void()> done)
    : m_waiting(listings),
      m_ended(listings, false),
      m_limit(limit),
      m_forward(std::move(forward)),
      m_done(std::move(done)) {}

bool ListingMerge::add(size_t i, std::string event) {
  if (i >= m_ended.size() || m_ended[i]) return true;
  if (i == m_head) {
    m_forward(event);
    return true;
  }
  if (m_waitingCount >= m_limit) return false;
  m_waiting[i].push_back(std::move(event));
  ++m_waitingCount;
  return true;
}

void ListingMerge::end(size_t i) {
  if (i >= m_ended.size() || m_ended[i]) return;
  m_ended[i] = true;
  while (m_head < m_ended.size() && m_ended[m_head]) {
    if (++m_head == m_ended.size()) break;
    // The new head's events so far; the rest go straight on as they come.
    std::vector<std::string> waiting = std::move(m_waiting[m_head]);
    m_waitingCount -= waiting.size();
    for (const std::string& event : waiting) m_forward(event);
  }
  if (finished()) m_done();
}
