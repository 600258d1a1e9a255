#include "ncp/TXPNetObjList.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "ncp/EnumOrder.h"

namespace {

struct TypePicture {
  TXPNetType type;
  int base;
};
// By TXPNetType.
constexpr TypePicture kPictureBase[] = {{xpUnknown, 2}, {xpPathmon, 1}, {xpStation, 8}, {xpProcess, 2}, {xpLine, 5}};
static_assert(inEnumOrder(kPictureBase, &TypePicture::type));

struct StatusPicture {
  TXPNetStatus status;
  int offset;
};
// By TXPNetStatus.
constexpr StatusPicture kPictureOffset[] = {{nsStarting, 1}, {nsAbnormal, 2}, {nsStarted, 0}, {nsStopped, 2}};
static_assert(inEnumOrder(kPictureOffset, &StatusPicture::status));

// A value outside the enumeration (the byte came from elsewhere) is shown as
// an unknown object, abnormal: the least reassuring picture, never a wild index.
size_t typeSlot(TXPNetType type) { return type <= xpLine ? type : xpUnknown; }
size_t statusSlot(TXPNetStatus status) { return status <= nsStopped ? status : nsAbnormal; }

// The index tables: linear probing over a power of two of slots, at most half
// of them used, so a probe ends at an empty slot soon.
constexpr size_t kMinSlots = 16;
constexpr uint64_t kGolden = 0x9E3779B97F4A7C15ull;

size_t slotsFor(size_t keys) {
  size_t size = kMinSlots;
  while (size < keys * 2 + 2) size *= 2;
  return size;
}

size_t nameHash(TXPNetType type, std::string_view name) { return std::hash<std::string_view>{}(name) + type * kGolden; }

// A name slot holds an entry's address with, in the low bits its alignment
// leaves free, bits of its key's hash that do not choose the slot; an empty
// slot is 0.
constexpr uintptr_t kTagMask = alignof(ExtInfo) - 1;

uintptr_t nameTag(size_t hash) { return (hash >> 24) & kTagMask; }
ExtInfo* entryIn(uintptr_t slot) { return reinterpret_cast<ExtInfo*>(slot & ~kTagMask); }

size_t nodeHash(const ncp::TreeNode* node) {
  // Node addresses differ in their middle bits; the product spreads them.
  const uint64_t h = reinterpret_cast<uintptr_t>(node) * kGolden;
  return static_cast<size_t>(h ^ (h >> 32));
}

}  // namespace

int TXPNetObjList::PictureIndex(TXPNetType aType, TXPNetStatus aStatus) {
  return kPictureBase[typeSlot(aType)].base + kPictureOffset[statusSlot(aStatus)].offset;
}

const char* TXPNetObjList::StatusText(TXPNetStatus aStatus) { return XPNetStatusText(aStatus); }

size_t TXPNetObjList::StatusCount(TXPNetStatus aStatus) const { return m_statusCounts[statusSlot(aStatus)]; }

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
  const ExtInfo* parent = FirstMatch(aParentType, aParentName);
  if (!parent) return;
  ncp::TreeNode* node = m_treeNodes->addChild(parent->Node, aName);
  if (!node) return;
  AddObj(node, aName, aType, aStatus);
}

void TXPNetObjList::AddObj(ncp::TreeNode* aNode, const std::string& aName, TXPNetType aType, TXPNetStatus aStatus) {
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
  if (aType != xpPathmon) ++m_statusCounts[statusSlot(aStatus)];

  entry->m_place = static_cast<uint32_t>(m_items.size());
  m_items.push_back(std::move(entry));
}

const ExtInfo* TXPNetObjList::FirstMatch(TXPNetType aType, std::string_view aName) {
  // The indexed entries come before the waiting ones, so a key the index
  // holds has its first entry there.
  ExtInfo* newest = Indexed(aType, aName);
  if (!newest && m_namesIndexed < m_items.size()) {
    IndexNames();
    newest = Indexed(aType, aName);
  }
  return newest ? newest->m_nextSame : nullptr;
}

ExtInfo* TXPNetObjList::FollowingMatch(TXPNetType aType, std::string_view aName) const {
  // A status listing names the objects in the order they were loaded, where
  // a station and its line alternate; the entries just after the last one
  // changed are next to it in memory too, unlike its slot in the index. An
  // entry that is its own ring is the only one of its name and type, so it
  // is all the index would give.
  constexpr size_t kLookAhead = 2;
  const size_t end = std::min(m_items.size(), m_statusCursor + 1 + kLookAhead);
  for (size_t i = m_statusCursor + 1; i < end; ++i) {
    ExtInfo* entry = m_items[i].get();
    if (entry->NetType == aType && entry->m_nextSame == entry && entry->Name == aName) return entry;
  }
  return nullptr;
}

size_t TXPNetObjList::NameSlot(TXPNetType aType, std::string_view aName, size_t aHash) const {
  const size_t mask = m_byName.size() - 1;
  const uintptr_t tag = nameTag(aHash);
  for (size_t i = aHash & mask;; i = (i + 1) & mask) {
    const uintptr_t slot = m_byName[i];
    if (slot == 0) return i;
    if ((slot & kTagMask) != tag) continue;
    const ExtInfo* entry = entryIn(slot);
    if (entry->NetType == aType && entry->Name == aName) return i;
  }
}

void TXPNetObjList::IndexName(ExtInfo* aEntry) {
  const size_t hash = nameHash(aEntry->NetType, aEntry->Name);
  const size_t slot = NameSlot(aEntry->NetType, aEntry->Name, hash);
  if (m_byName[slot] != 0) {
    ExtInfo* newest = entryIn(m_byName[slot]);
    aEntry->m_nextSame = newest->m_nextSame;
    newest->m_nextSame = aEntry;
  } else {
    aEntry->m_nextSame = aEntry;
    ++m_nameCount;
  }
  m_byName[slot] = reinterpret_cast<uintptr_t>(aEntry) | nameTag(hash);
}

void TXPNetObjList::IndexNames() {
  if (m_namesIndexed == m_items.size()) return;
  // Sized once for every entry that waits. A table too small is made anew
  // from Items rather than from the old table: in Items order the rings come
  // out as they were, and the entries are read in the order they were made.
  if ((m_nameCount + m_items.size() - m_namesIndexed + 1) * 2 > m_byName.size()) {
    m_byName = std::vector<uintptr_t>(slotsFor(m_items.size()), 0);
    m_nameCount = 0;
    m_namesIndexed = 0;
  }
  for (; m_namesIndexed < m_items.size(); ++m_namesIndexed) IndexName(m_items[m_namesIndexed].get());
}

size_t TXPNetObjList::NodeSlot(const ncp::TreeNode* aNode) const {
  const size_t mask = m_byNode.size() - 1;
  for (size_t i = nodeHash(aNode) & mask;; i = (i + 1) & mask) {
    if (!m_byNode[i] || m_byNode[i]->Node == aNode) return i;
  }
}

void TXPNetObjList::IndexNodes() const {
  if (m_nodesIndexed == m_items.size()) return;
  if ((m_nodeCount + m_items.size() - m_nodesIndexed + 1) * 2 > m_byNode.size()) {
    m_byNode = std::vector<ExtInfo*>(slotsFor(m_items.size()), nullptr);
    m_nodeCount = 0;
    m_nodesIndexed = 0;
  }
  for (; m_nodesIndexed < m_items.size(); ++m_nodesIndexed) {
    ExtInfo* entry = m_items[m_nodesIndexed].get();
    const size_t slot = NodeSlot(entry->Node);
    if (!m_byNode[slot]) {
      m_byNode[slot] = entry;
      ++m_nodeCount;
    }
  }
}

void TXPNetObjList::ResetIndexes() {
  for (size_t i = 0; i < m_items.size(); ++i) m_items[i]->m_place = static_cast<uint32_t>(i);
  m_byName = std::vector<uintptr_t>();
  m_nameCount = 0;
  m_namesIndexed = 0;
  m_byNode = std::vector<ExtInfo*>();
  m_nodeCount = 0;
  m_nodesIndexed = 0;
}

void TXPNetObjList::SetStatusObj(const std::string& aName, TXPNetType aType, TXPNetStatus aStatus) {
  if (OnDebug) {
    OnDebug(nullptr,
            "SetStatusObj Name=" + aName + " Type=" + XPNetTypeName(aType) + " Status=" + XPNetStatusName(aStatus));
  }
  IndexNames();
  ExtInfo* newest = FollowingMatch(aType, aName);
  if (!newest) newest = Indexed(aType, aName);
  if (!newest) return;
  m_statusCursor = newest->m_place;
  const int picture = PictureIndex(aType, aStatus);
  std::string text = StatusText(aStatus);
  text += ' ';
  const size_t prefixLength = text.size();
  ExtInfo* entry = newest;
  do {
    entry = entry->m_nextSame;
    text.resize(prefixLength);
    text += entry->Name;
    if (entry->NetType != xpPathmon) {
      --m_statusCounts[statusSlot(entry->Status)];
      ++m_statusCounts[statusSlot(aStatus)];
    }
    entry->Status = aStatus;
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
  std::fill(std::begin(m_statusCounts), std::end(m_statusCounts), 0);
  ResetIndexes();
}

const ExtInfo* TXPNetObjList::FindByNode(const ncp::TreeNode* aNode) const {
  IndexNodes();
  if (!m_byNode.empty()) {
    if (const ExtInfo* entry = m_byNode[NodeSlot(aNode)]) return entry;
  }
  return m_items.empty() ? nullptr : m_items.back().get();
}

void TXPNetObjList::Clear() {
  m_items.clear();
  std::fill(std::begin(m_statusCounts), std::end(m_statusCounts), 0);
  ResetIndexes();
}

ExtInfo* TXPNetObjList::Indexed(TXPNetType aType, std::string_view aName) const {
  if (m_byName.empty()) return nullptr;
  return entryIn(m_byName[NameSlot(aType, aName, nameHash(aType, aName))]);
}
