// Event-loop helpers for tests: run the Qt event loop until a condition holds.
// The time limit only keeps a broken test from hanging; it is never asserted
// as a measure of speed.
#pragma once

#include <functional>

namespace korvtest {

// Processes events until pred() is true or timeoutMs elapses; returns pred().
bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 10000);

// Processes events for the given time (for "nothing else happens" checks).
void spin(int ms);

}  // namespace korvtest
