#include "ncpctl/ObjectCensus.h"

#include <string>
#include <unordered_set>

ObjectCensus::ObjectCensus(const TXPNetObjList& registry) {
  const auto& items = registry.Items();
  m_objects.reserve(items.size());
  std::unordered_set<std::string> seen;
  seen.reserve(items.size());
  for (const auto& item : items) {
    const ExtInfo& entry = *item;
    const bool object = entry.NetType == xpProcess || entry.NetType == xpStation || entry.NetType == xpLine;
    if (!object || entry.Status >= std::size(kXPNetStatuses)) continue;
    std::string key(1, static_cast<char>(entry.NetType));
    key += entry.Name;
    if (!seen.insert(std::move(key)).second) continue;
    m_objects.push_back(&entry);
    ++m_counts[entry.NetType][entry.Status];
  }
}

size_t ObjectCensus::count(TXPNetType type, TXPNetStatus status) const {
  if (type > xpLine || status >= std::size(kXPNetStatuses)) return 0;
  return m_counts[type][status];
}
