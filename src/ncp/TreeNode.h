// The tree that shows the network objects, as the registry (TXPNetObjList)
// sees it: a collection that makes and deletes nodes (TreeNodes) and the nodes
// themselves (TreeNode), each with a text and three picture indexes.
//
// Nodes belong to the tree. A TreeNode pointer stays valid until the node, or
// an ancestor of it, is deleted through deleteNode, or the tree itself is
// cleared or destroyed; nobody else deletes a node. The window implements both
// over its tree widget, MemoryTree as plain data for the headless console and
// the tests. Single-threaded.
#pragma once

#include <string>

namespace ncp {

class TreeNode {
 public:
  virtual ~TreeNode() = default;

  virtual std::string text() const = 0;
  virtual void setText(const std::string& text) = 0;

  // Indexes into the tree's picture list; a state picture of -1 shows none.
  virtual int imageIndex() const = 0;
  virtual void setImageIndex(int index) = 0;
  virtual int selectedIndex() const = 0;
  virtual void setSelectedIndex(int index) = 0;
  virtual int stateIndex() const = 0;
  virtual void setStateIndex(int index) = 0;

  // Null for a top-level node.
  virtual TreeNode* parent() const = 0;
  virtual int childCount() const = 0;
  // The index-th child (0-based, in order of creation), or null out of range.
  virtual TreeNode* child(int index) const = 0;
};

class TreeNodes {
 public:
  virtual ~TreeNodes() = default;

  // Makes a new last child of parent (a new last top-level node when parent is
  // null) with the given text, picture 0, selected picture 0 and no state
  // picture. The tree owns it.
  virtual TreeNode* addChild(TreeNode* parent, const std::string& text) = 0;
  // Makes a new first top-level node, before those that exist, otherwise as
  // addChild (the host node goes on top of whatever the tree holds).
  virtual TreeNode* addFirst(const std::string& text) = 0;
  // Deletes node with all its descendants; pointers to any of them dangle.
  virtual void deleteNode(TreeNode* node) = 0;
  // Deletes every node; every node pointer dangles.
  virtual void clear() = 0;
};

}  // namespace ncp
