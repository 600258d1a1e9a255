// SharedTreeNodes: the part of one tree that one connection of several makes
// and deletes. Connections to several PATHMONs of one host show their objects
// under that host's one node: a connection opened for a further PATHMON is
// given the host node (the anchor) and finds there the PATHMON nodes that are
// already shown, instead of making a second host. Everything it makes itself
// is its own; clear and deleteNode remove only that, so one connection's end
// or reload never takes another's objects with it.
//
// The owner must end the connections anchored on a host before the host's own
// connection clears it (OnBeforeClear). The base tree must outlive this one.
// Single-threaded.
#pragma once

#include <functional>
#include <set>
#include <string>

#include "ncp/TreeNode.h"

namespace ncp {

class SharedTreeNodes final : public TreeNodes {
 public:
  // anchor: the host node to share, or null to make one's own host node.
  SharedTreeNodes(TreeNodes& base, TreeNode* anchor = nullptr) : m_base(base), m_anchor(anchor) {}

  // Before clear deletes this tree's nodes: whoever shares them lets go.
  std::function<void()> OnBeforeClear;

  // The host node: the anchor when there is one, else a new last top-level
  // node. A PATHMON under the anchor that is shown already is that node.
  TreeNode* addFirst(const std::string& text) override;
  TreeNode* addChild(TreeNode* parent, const std::string& text) override;
  // Only a node this tree made (or one below it); a shared node stays.
  void deleteNode(TreeNode* node) override;
  void clear() override;

  TreeNode* Anchor() const { return m_anchor; }

 private:
  // The anchor, or a PATHMON under it that another connection made.
  bool shared(TreeNode* node) const {
    return node == m_anchor || (node->parent() == m_anchor && m_roots.count(node) == 0);
  }

  TreeNodes& m_base;
  TreeNode* m_anchor;
  // The nodes this tree made whose parent is not its own.
  std::set<TreeNode*> m_roots;
};

}  // namespace ncp
