#include "PlainObjList.h"

#include <algorithm>

void PlainObjList::AddPathmon(ncp::TreeNode* aParent, const std::string& aName) {
  if (!m_treeNodes) return;
  ncp::TreeNode* node = m_treeNodes->addChild(aParent, aName);
  if (!node) return;
  node->setSelectedIndex(1);
  node->setStateIndex(1);
  node->setImageIndex(1);
  AddObj(node, aName, xpPathmon, nsStarted);
}

void PlainObjList::AddProcess(const std::string& aPathmon, const std::string& aName, TXPNetStatus aStatus) {
  AddUnder(xpPathmon, aPathmon, aName, xpProcess, aStatus);
}

void PlainObjList::AddStation(const std::string& aProcess, const std::string& aName) {
  AddUnder(xpProcess, aProcess, aName, xpStation, nsStarted);
}

void PlainObjList::AddLine(const std::string& aProcess, const std::string& aName) {
  AddUnder(xpProcess, aProcess, aName, xpLine, nsStarted);
}

void PlainObjList::AddUnder(TXPNetType aParentType, const std::string& aParentName, const std::string& aName,
                            TXPNetType aType, TXPNetStatus aStatus) {
  if (!m_treeNodes) return;
  const ExtInfo* parent = FirstMatch(aParentType, aParentName);
  if (!parent) return;
  ncp::TreeNode* node = m_treeNodes->addChild(parent->Node, aName);
  if (!node) return;
  AddObj(node, aName, aType, aStatus);
}

void PlainObjList::AddObj(ncp::TreeNode* aNode, const std::string& aName, TXPNetType aType, TXPNetStatus aStatus) {
  auto entry = std::make_unique<ExtInfo>(aName, aStatus, aType, aNode);
  const int picture = TXPNetObjList::PictureIndex(aType, aStatus);
  if (aType != xpPathmon) {
    const std::string_view status = TXPNetObjList::StatusText(aStatus);
    std::string text;
    text.reserve(status.size() + 1 + aName.size());
    text.append(status).append(1, ' ').append(aName);
    aNode->setText(text);
  }
  aNode->setImageIndex(picture);
  aNode->setSelectedIndex(picture);

  m_items.push_back(std::move(entry));
  Index(m_items.back().get());
}

const ExtInfo* PlainObjList::FirstMatch(TXPNetType aType, const std::string& aName) const {
  const auto named = m_byName.find(aName);
  if (named == m_byName.end()) return nullptr;
  for (const ExtInfo* entry : named->second) {
    if (entry->NetType == aType) return entry;
  }
  return nullptr;
}

void PlainObjList::Index(ExtInfo* aEntry) {
  m_byName[aEntry->Name].push_back(aEntry);
  m_byNode.try_emplace(aEntry->Node, aEntry);
}

void PlainObjList::Reindex() {
  m_byName.clear();
  m_byNode.clear();
  for (const auto& entry : m_items) Index(entry.get());
}

void PlainObjList::SetStatusObj(const std::string& aName, TXPNetType aType, TXPNetStatus aStatus) {
  const auto named = m_byName.find(aName);
  if (named == m_byName.end()) return;
  const int picture = TXPNetObjList::PictureIndex(aType, aStatus);
  std::string text = TXPNetObjList::StatusText(aStatus);
  text += ' ';
  const size_t prefixLength = text.size();
  for (const ExtInfo* entry : named->second) {
    if (entry->NetType != aType) continue;
    text.resize(prefixLength);
    text += entry->Name;
    entry->Node->setText(text);
    entry->Node->setImageIndex(picture);
    entry->Node->setStateIndex(picture);
    entry->Node->setSelectedIndex(picture);
  }
}

void PlainObjList::DeletePathmonChildren() {
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
  Reindex();
}

const ExtInfo* PlainObjList::FindByNode(const ncp::TreeNode* aNode) const {
  const auto bound = m_byNode.find(aNode);
  if (bound != m_byNode.end()) return bound->second;
  return m_items.empty() ? nullptr : m_items.back().get();
}

void PlainObjList::Clear() {
  m_items.clear();
  m_byName.clear();
  m_byNode.clear();
}
