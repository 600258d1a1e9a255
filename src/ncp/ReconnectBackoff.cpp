#include "ncp/ReconnectBackoff.h"

#include <algorithm>

ReconnectBackoff::ReconnectBackoff(Wait first)
    : m_first(std::clamp(first, Wait(1), kLongest)), m_random(std::random_device{}()) {}

ReconnectBackoff::Wait ReconnectBackoff::next() {
  // Doubling stops at the longest wait; the shift is bounded so it never overflows.
  const int doublings = std::min(m_attempts, 16);
  const Wait base = std::min(Wait(m_first.count() << doublings), kLongest);
  ++m_attempts;
  std::uniform_int_distribution<Wait::rep> jitter(0, base.count() / 5);
  return base + Wait(jitter(m_random));
}
