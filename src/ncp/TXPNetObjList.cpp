#include "ncp/TXPNetObjList.h"

#include <algorithm>

namespace {

constexpr int kPictureBase[] = {2, 1, 8, 2, 5};      // by TXPNetType
constexpr int kPictureOffset[] = {1, 2, 0, 2};       // by TXPNetStatus
constexpr const char* kStatusText[] = {"(Starting)", "(Abnormal)", "(Started)", "(Stopped)"};

// A value outside the enumeration (the byte came from elsewhere) is shown as
// an unknown object, abnormal: the least reassuring picture, never a wild index.
size_t typeSlot(TXPNetType type) { return type <= xpLine ? type : xpUnknown; }
size_t statusSlot(TXPNetStatus status) { return status <= nsStopped ? status : nsAbnormal; }

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
  const std::vector<ExtInfo*>* parents = Matches(aParentType, aParentName);
  if (!parents) return;
  ncp::TreeNode* node = m_treeNodes->addChild(parents->front()->Node, aName);
  if (!node) return;
  AddObj(node, aName, aType, aStatus);
}

void TXPNetObjList::AddObj(ncp::TreeNode* aNode, const std::string& aName, TXPNetType aType,
                           TXPNetStatus aStatus) {
  auto entry = std::make_unique<ExtInfo>(ExtInfo{aName, aStatus, aType, aNode});
  const int picture = PictureIndex(aType, aStatus);
  if (aType != xpPathmon) aNode->setText(std::string(StatusText(aStatus)) + " " + aName);
  aNode->setImageIndex(picture);
  aNode->setSelectedIndex(picture);

  m_byName[aType][aName].push_back(entry.get());
  m_byNode.emplace(aNode, entry.get());
  m_items.push_back(std::move(entry));
}

void TXPNetObjList::SetStatusObj(const std::string& aName, TXPNetType aType, TXPNetStatus aStatus) {
  if (OnDebug) {
    OnDebug(nullptr,
            "SetStatusObj Name=" + aName + " Type=" + XPNetTypeName(aType) + " Status=" + XPNetStatusName(aStatus));
  }
  const std::vector<ExtInfo*>* entries = Matches(aType, aName);
  if (!entries) return;
  const int picture = PictureIndex(aType, aStatus);
  const std::string prefix = std::string(StatusText(aStatus)) + " ";
  for (ExtInfo* entry : *entries) {
    entry->Node->setText(prefix + entry->Name);
    entry->Node->setImageIndex(picture);
    entry->Node->setStateIndex(picture);
    entry->Node->setSelectedIndex(picture);
  }
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

  for (size_t type = 0; type < kTypeCount; ++type) {
    if (type != xpPathmon) m_byName[type].clear();
  }
  m_byNode.clear();
  for (const auto& entry : m_items) m_byNode.emplace(entry->Node, entry.get());
}

const ExtInfo* TXPNetObjList::FindByNode(const ncp::TreeNode* aNode) const {
  if (auto it = m_byNode.find(aNode); it != m_byNode.end()) return it->second;
  return m_items.empty() ? nullptr : m_items.back().get();
}

void TXPNetObjList::Clear() {
  for (auto& index : m_byName) index.clear();
  m_byNode.clear();
  m_items.clear();
}

std::vector<ExtInfo*>* TXPNetObjList::Matches(TXPNetType aType, const std::string& aName) {
  if (aType > xpLine) return nullptr;
  auto& index = m_byName[aType];
  auto it = index.find(aName);
  return it == index.end() ? nullptr : &it->second;
}
