// ObjectCensus: the loaded objects each once, with their count by type and
// status, for the monitoring outputs (MetricsWriter, CheckWriter).
//
// The registry has an entry per place an object shows in the tree: a line
// shared by two stations has two. It is one object to a monitoring system,
// so it is taken once, at its first entry (every entry of a name and type
// shows the same status). PATHMON entries carry no status and are left out.
//
// Reads the registry once when made and keeps pointers to its entries: the
// registry must not change while the census is in use. Made by NcpCtl once
// the load is done.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <vector>

#include "ncp/TXPNetObjList.h"

class ObjectCensus {
 public:
  explicit ObjectCensus(const TXPNetObjList& registry);

  // The first entry of each object, in the registry's order.
  const std::vector<const ExtInfo*>& objects() const { return m_objects; }
  size_t count(TXPNetType type, TXPNetStatus status) const;

 private:
  // By TXPNetType (the enumeration ends with xpLine) and TXPNetStatus.
  using Counts = std::array<std::array<size_t, std::size(kXPNetStatuses)>, xpLine + 1>;

  std::vector<const ExtInfo*> m_objects;
  Counts m_counts{};
};
