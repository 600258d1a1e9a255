// ListingMerge: the answers of listings that run at once on several
// connections, handed on in the order one connection running them one after
// the other would give them: every event of listing i after every event of
// the listings before it. The first listing not yet ended streams through;
// the events of the later ones wait in memory until every listing before
// theirs has ended, then go on in the order they came.
//
// A host that lists without end would fill memory through the waiting
// events: at most `limit` of them wait; add refuses the one beyond.
// Single-threaded; owns the waiting events.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class ListingMerge {
 public:
  ListingMerge(size_t listings, size_t limit, std::function<void(const std::string&)> forward,
               std::function<void()> done);

  // An event of listing i; false (and the event dropped) when the waiting
  // events would pass the limit.
  bool add(size_t i, std::string event);
  // Listing i has ended; done is called once every listing has.
  void end(size_t i);
  bool finished() const { return m_head == m_ended.size(); }

 private:
  std::vector<std::vector<std::string>> m_waiting;
  std::vector<bool> m_ended;
  size_t m_head = 0;  // the first listing not ended: its events go straight on
  size_t m_waitingCount = 0;
  size_t m_limit;
  std::function<void(const std::string&)> m_forward;
  std::function<void()> m_done;
};
