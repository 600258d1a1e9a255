// ListingMerge: the answers of listings that run at once on several
// connections, handed on in the order one connection running them one after
// the other would give them: every event of listing i after every event of
// the listings before it. The first listing not yet handed on whole (the
// head) streams through; the events of the later ones wait in memory. When
// the head ends, the next listing's waiting events become the backlog, which
// the owner hands on a share at a time (handOn), one share per turn of the
// event loop, so that tens of thousands of them do not hold the loop in one
// go; the listing's later events queue behind its backlog.
//
// A host that lists without end would fill memory through the waiting
// events: at most `limit` of them wait; add refuses the one beyond.
// Single-threaded; owns the waiting events.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class ListingMerge {
 public:
  ListingMerge(size_t listings, size_t limit, std::function<void(const std::string&)> forward,
               std::function<void()> done);

  // An event of listing i; false (and the event dropped) when the waiting
  // events would pass the limit.
  bool add(size_t i, const std::string& event);
  // Listing i has ended; done is called once every listing has ended and
  // every event has been handed on.
  void end(size_t i);
  // The head has waiting events for handOn.
  bool backlog() const { return m_head < m_waiting.size() && !m_waiting[m_head].empty(); }
  // Hands on at most `most` of the backlog, in order.
  void handOn(size_t most);
  // Every event of the listings before `i` has been handed on.
  bool handedOnBefore(size_t i) const { return m_head >= i; }
  bool finished() const { return m_head == m_waiting.size(); }

 private:
  // The events of one listing end to end, each after its length: thousands
  // of them cost their bytes in one allocation, freed once all are read.
  class Waiting {
   public:
    void push(std::string_view event);
    // The next event into `event`.
    void pop(std::string& event);
    bool empty() const { return m_read == m_bytes.size(); }

   private:
    std::string m_bytes;
    size_t m_read = 0;
  };

  // Moves the head past the listings ended and handed on whole.
  void advance();

  std::vector<Waiting> m_waiting;
  std::vector<bool> m_ended;
  size_t m_head = 0;
  size_t m_waitingCount = 0;
  size_t m_limit;
  std::string m_event;  // the one being handed on from the backlog
  std::function<void(const std::string&)> m_forward;
  std::function<void()> m_done;
};
