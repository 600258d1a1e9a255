// Events of the system's components: plain std::function members whose first
// argument is the Sender. An event nobody assigned is skipped.
#pragma once

#include <functional>
#include <utility>

template <typename Signature, typename... Args>
inline void Raise(const std::function<Signature>& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}
