// Event-loop helpers for tests: run the Qt event loop until a condition holds.
// The time limit only keeps a broken test from hanging; it is never asserted
// as a measure of speed.
#pragma once

#include <functional>

namespace korvtest {

// Processes events until pred() is true or timeoutMs elapses; returns pred().
bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 10000);

// Processes events until everything already queued on the event loop
// (posted events, queued calls, zero-time timers, ready sockets) has been
// delivered: a marker queued behind them has run, twice, so that what the
// first round queued has run too. For "nothing else happens" checks.
void processQueuedEvents();

// Processes events for the given time: only where no event can show that
// nothing else happens (each caller says why).
void spin(int ms);

}  // namespace korvtest
