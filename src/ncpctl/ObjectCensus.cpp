#include "ncpctl/ObjectCensus.h"

#include <bit>
#include <functional>
#include <string_view>

namespace {

bool isObject(const ExtInfo& entry) {
  return (entry.NetType == xpProcess || entry.NetType == xpStation || entry.NetType == xpLine) &&
         entry.Status < std::size(kXPNetStatuses);
}

size_t keyHash(const ExtInfo& entry) { return std::hash<std::string_view>()(entry.Name) ^ entry.NetType; }

}  // namespace

ObjectCensus::ObjectCensus(const TXPNetObjList& registry) {
  const auto& items = registry.Items();
  m_objects.reserve(items.size());
  // The objects taken so far, by (type, name), open-addressed: one table for
  // the whole network instead of an allocation per name.
  std::vector<const ExtInfo*> taken(std::bit_ceil(items.size() * 2 + 2));
  const size_t mask = taken.size() - 1;
  for (const auto& item : items) {
    const ExtInfo& entry = *item;
    if (!isObject(entry)) continue;
    size_t slot = keyHash(entry) & mask;
    while (taken[slot] && (taken[slot]->NetType != entry.NetType || taken[slot]->Name != entry.Name)) {
      slot = (slot + 1) & mask;
    }
    if (taken[slot]) continue;
    taken[slot] = &entry;
    m_objects.push_back(&entry);
    ++m_counts[entry.NetType][entry.Status];
  }
}

size_t ObjectCensus::count(TXPNetType type, TXPNetStatus status) const {
  if (type > xpLine || status >= std::size(kXPNetStatuses)) return 0;
  return m_counts[type][status];
}
