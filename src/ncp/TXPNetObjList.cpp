#include "ncp/TXPNetObjList.h"

#include <algorithm>
#include <cstdint>
#include <functional>

namespace {

constexpr int kPictureBase[] = {2, 1, 8, 2, 5};      // by TXPNetType
constexpr int kPictureOffset[] = {1, 2, 0, 2};       // by TXPNetStatus
constexpr const char* kStatusText[] = {"(Starting)", "(Abnormal)", "(Started)", "(Stopped)"};

// A value outside the enumeration (the byte came from elsewhere) is shown as
// an unknown object, abnormal: the least reassuring picture, never a wild index.
size_t typeSlot(TXPNetType type) { return type <= xpLine ? type : xpUnknown; }
size_t statusSlot(TXPNetStatus status) { return status <= nsStopped ? status : nsAbnormal; }

// The index tables: linear probing over a power of two of slots, at most half
// of them used, so a probe ends at an empty slot soon.
constexpr size_t kMinSlots = 16;
constexpr uint64_t kGolden = 0x9E3779B97F4A7C15ull;

size_t nameHash(TXPNetType type, std::string_view name) {
  return std::hash<std::string_view>{}(name) + type * kGolden;
}

size_t nodeHash(const ncp::TreeNode* node) {
  // Node addresses differ in their middle bits; the product spreads them.
  const uint64_t h = reinterpret_cast<uintptr_t>(node) * kGolden;
  return static_cast<size_t>(h ^ (h >> 32));
}

size_t nameHashOf(const ExtInfo& entry) { return nameHash(entry.NetType, entry.Name); }
size_t nodeHashOf(const ExtInfo& entry) { return nodeHash(entry.Node); }

// The slot of the entry that `same` accepts, or the empty slot where it would
// go. The table has an empty slot.
template <typename Same>
size_t findSlot(const std::vector<ExtInfo*>& table, size_t hash, Same same) {
  const size_t mask = table.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    if (!table[i] || same(*table[i])) return i;
  }
}

// Room for one more key; the keys are distinct, so each goes to the first
// empty slot on its way.
void makeRoom(std::vector<ExtInfo*>& table, size_t count, size_t (*hashOf)(const ExtInfo&)) {
  if ((count + 1) * 2 <= table.size()) return;
  std::vector<ExtInfo*> grown(std::max(kMinSlots, table.size() * 2), nullptr);
  for (ExtInfo* entry : table) {
    if (entry) grown[findSlot(grown, hashOf(*entry), [](const ExtInfo&) { return false; })] = entry;
  }
  table = std::move(grown);
}


}  // namespace

int TXPNetObjList::PictureIndex(TXPNetType aType, TXPNetStatus aStatus) {
  return kPictureBase[typeSlot(aType)] + kPictureOffset[statusSlot(aStatus)];
}

const char* TXPNetObjList::StatusText(TXPNetStatus aStatus) { return kStatusText[statusSlot(aStatus)]; }

void TXPNetObjList::AddPathmon(ncp::TreeNode* aParent, const std::string& aName) {
  if (!m_treeNodes) return;
  ncp::TreeNode* node = m_treeNodes->addChild(aParent, aName);
  if (!node) return;
  node->setSelectedIndex(1);
  node->setStateIndex(1);
  node->setImageIndex(1);
  AddObj(node, aName, xpPathmon, nsStarted);
}

void TXPNetObjList::AddProcess(const std::string& aPathmon, const std::string& aName, TXPNetStatus aStatus) {
  AddUnder(xpPathmon, aPathmon, aName, xpProcess, aStatus);
}

void TXPNetObjList::AddStation(const std::string& aProcess, const std::string& aName) {
  AddUnder(xpProcess, aProcess, aName, xpStation, nsStarted);
}

void TXPNetObjList::AddLine(const std::string& aProcess, const std::string& aName) {
  AddUnder(xpProcess, aProcess, aName, xpLine, nsStarted);
}

void TXPNetObjList::AddUnder(TXPNetType aParentType, const std::string& aParentName, const std::string& aName,
                             TXPNetType aType, TXPNetStatus aStatus) {
  if (!m_treeNodes) return;
  const ExtInfo* parent = Matches(aParentType, aParentName);
  if (!parent) return;
  ncp::TreeNode* node = m_treeNodes->addChild(parent->m_nextSame->Node, aName);
  if (!node) return;
  AddObj(node, aName, aType, aStatus);
}

void TXPNetObjList::AddObj(ncp::TreeNode* aNode, const std::string& aName, TXPNetType aType,
                           TXPNetStatus aStatus) {
  auto entry = std::make_unique<ExtInfo>(aName, aStatus, aType, aNode);
  const int picture = PictureIndex(aType, aStatus);
  if (aType != xpPathmon) {
    const std::string_view status = StatusText(aStatus);
    std::string text;
    text.reserve(status.size() + 1 + aName.size());
    text.append(status).append(1, ' ').append(aName);
    aNode->setText(text);
  }
  aNode->setImageIndex(picture);
  aNode->setSelectedIndex(picture);

  m_items.push_back(std::move(entry));
  IndexEntry(m_items.back().get());
}

void TXPNetObjList::IndexEntry(ExtInfo* aEntry) {
  makeRoom(m_byName, m_nameCount, nameHashOf);
  const size_t nameSlot = findSlot(m_byName, nameHashOf(*aEntry), [&](const ExtInfo& e) {
    return e.NetType == aEntry->NetType && e.Name == aEntry->Name;
  });
  if (ExtInfo* newest = m_byName[nameSlot]) {
    aEntry->m_nextSame = newest->m_nextSame;
    newest->m_nextSame = aEntry;
  } else {
    aEntry->m_nextSame = aEntry;
    ++m_nameCount;
  }
  m_byName[nameSlot] = aEntry;

  makeRoom(m_byNode, m_nodeCount, nodeHashOf);
  const size_t nodeSlot =
      findSlot(m_byNode, nodeHashOf(*aEntry), [&](const ExtInfo& e) { return e.Node == aEntry->Node; });
  if (!m_byNode[nodeSlot]) {
    m_byNode[nodeSlot] = aEntry;
    ++m_nodeCount;
  }
}

void TXPNetObjList::RebuildIndexes() {
  m_byName = std::vector<ExtInfo*>();
  m_byNode = std::vector<ExtInfo*>();
  m_nameCount = 0;
  m_nodeCount = 0;
  for (const auto& entry : m_items) IndexEntry(entry.get());
}

void TXPNetObjList::SetStatusObj(const std::string& aName, TXPNetType aType, TXPNetStatus aStatus) {
  if (OnDebug) {
    OnDebug(nullptr,
            "SetStatusObj Name=" + aName + " Type=" + XPNetTypeName(aType) + " Status=" + XPNetStatusName(aStatus));
  }
  ExtInfo* const newest = Matches(aType, aName);
  if (!newest) return;
  const int picture = PictureIndex(aType, aStatus);
  std::string text = StatusText(aStatus);
  text += ' ';
  const size_t prefixLength = text.size();
  ExtInfo* entry = newest;
  do {
    entry = entry->m_nextSame;
    text.resize(prefixLength);
    text += entry->Name;
    entry->Node->setText(text);
    entry->Node->setImageIndex(picture);
    entry->Node->setStateIndex(picture);
    entry->Node->setSelectedIndex(picture);
  } while (entry != newest);
}

void TXPNetObjList::DeletePathmonChildren() {
  // Backwards: stations and lines come after the process whose node holds
  // them, so they go first and no node is deleted twice. The survivors are
  // collected instead of erased one by one, which keeps this linear.
  std::vector<std::unique_ptr<ExtInfo>> pathmons;
  for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
    if ((*it)->NetType == xpPathmon) {
      pathmons.push_back(std::move(*it));
    } else if (m_treeNodes) {
      m_treeNodes->deleteNode((*it)->Node);
    }
  }
  std::reverse(pathmons.begin(), pathmons.end());
  m_items = std::move(pathmons);
  RebuildIndexes();
}

const ExtInfo* TXPNetObjList::FindByNode(const ncp::TreeNode* aNode) const {
  if (!m_byNode.empty()) {
    const size_t slot = findSlot(m_byNode, nodeHash(aNode), [&](const ExtInfo& e) { return e.Node == aNode; });
    if (m_byNode[slot]) return m_byNode[slot];
  }
  return m_items.empty() ? nullptr : m_items.back().get();
}

void TXPNetObjList::Clear() {
  m_items.clear();
  RebuildIndexes();
}

ExtInfo* TXPNetObjList::Matches(TXPNetType aType, std::string_view aName) const {
  if (m_byName.empty()) return nullptr;
  const size_t slot = findSlot(m_byName, nameHash(aType, aName),
                               [&](const ExtInfo& e) { return e.NetType == aType && e.Name == aName; });
  return m_byName[slot];
}
