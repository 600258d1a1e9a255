// PlainObjList: the registry's name and node indexes as plain standard
// containers (an unordered_map from name to its entries, one from node to its
// first entry), behind the interface of TXPNetObjList and giving the same
// answers. Kept here, not in the product, as the comparison that justifies the
// hand-made index: see the figures in ncp/TXPNetObjList.h.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ncp/TXPNetObjList.h"

class PlainObjList {
 public:
  PlainObjList() = default;
  PlainObjList(const PlainObjList&) = delete;
  PlainObjList& operator=(const PlainObjList&) = delete;

  // The entries in the order they were added.
  const std::vector<std::unique_ptr<ExtInfo>>& Items() const { return m_items; }

  void SetTreeNodes(ncp::TreeNodes* aNodes) { m_treeNodes = aNodes; }
  ncp::TreeNodes* TreeNodes() const { return m_treeNodes; }

  void AddPathmon(ncp::TreeNode* aParent, const std::string& aName);
  // Under the first PATHMON (process) entry of that exact name; nothing when
  // there is none.
  void AddProcess(const std::string& aPathmon, const std::string& aName, TXPNetStatus aStatus);
  void AddStation(const std::string& aProcess, const std::string& aName);
  void AddLine(const std::string& aProcess, const std::string& aName);

  // Sets text and pictures of every entry of that name and type, in order.
  void SetStatusObj(const std::string& aName, TXPNetType aType, TXPNetStatus aStatus);
  // Deletes every entry but the PATHMONs, with their nodes.
  void DeletePathmonChildren();
  // The first entry bound to aNode; for a node of no entry the last entry;
  // null when the registry is empty. Valid until the entry is removed.
  const ExtInfo* FindByNode(const ncp::TreeNode* aNode) const;
  // Disposes of every entry; keeps TreeNodes.
  void Clear();

 private:
  void AddUnder(TXPNetType aParentType, const std::string& aParentName, const std::string& aName, TXPNetType aType,
                TXPNetStatus aStatus);
  void AddObj(ncp::TreeNode* aNode, const std::string& aName, TXPNetType aType, TXPNetStatus aStatus);
  // The first entry of that name and type, or null.
  const ExtInfo* FirstMatch(TXPNetType aType, const std::string& aName) const;
  void Index(ExtInfo* aEntry);
  // Both indexes anew from Items.
  void Reindex();

  std::vector<std::unique_ptr<ExtInfo>> m_items;
  // Name -> its entries of every type, in Items order.
  std::unordered_map<std::string, std::vector<ExtInfo*>> m_byName;
  // Node -> the first entry bound to it.
  std::unordered_map<const ncp::TreeNode*, const ExtInfo*> m_byNode;
  ncp::TreeNodes* m_treeNodes = nullptr;
};
