// ReconnectBackoff: the waits between the attempts to open again a
// connection the host or the network ended unasked. The first wait is
// First; each failed attempt doubles it, up to kLongest. Each wait gets up to
// a fifth more at random, so that the consoles of an operations room that
// lost the same host do not all knock on it at the same moment.
// Single-threaded.
#pragma once

#include <chrono>
#include <random>

class ReconnectBackoff {
 public:
  using Wait = std::chrono::milliseconds;
  static constexpr Wait kFirst{2000};
  static constexpr Wait kLongest{60000};

  explicit ReconnectBackoff(Wait first = kFirst);

  // The wait before the next attempt, which it counts.
  Wait next();
  // Attempts counted since the last reset.
  int attempts() const { return m_attempts; }
  // A connection is back (or the operator took over): the next loss starts
  // again from the first wait.
  void reset() { m_attempts = 0; }

 private:
  Wait m_first;
  int m_attempts = 0;
  std::minstd_rand m_random;
};
