// MemoryTree: the object tree as plain data, for the headless console (which
// prints it) and the tests. Implements the registry's view of a tree
// (TreeNodes/TreeNode); owns every node it makes until deleteNode, clear or
// its own destruction.
//
// Children are kept in creation order; deleting the last child of a node, the
// registry's usual order, is constant time.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ncp/TreeNode.h"

namespace ncp {

class MemoryTree final : public TreeNodes {
 public:
  class Node final : public TreeNode {
   public:
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    std::string text() const override { return m_text; }
    void setText(const std::string& text) override { m_text = text; }
    // The text without a copy; valid until the text changes.
    std::string_view view() const { return m_text; }
    int imageIndex() const override { return m_imageIndex; }
    void setImageIndex(int index) override { m_imageIndex = index; }
    int selectedIndex() const override { return m_selectedIndex; }
    void setSelectedIndex(int index) override { m_selectedIndex = index; }
    int stateIndex() const override { return m_stateIndex; }
    void setStateIndex(int index) override { m_stateIndex = index; }
    TreeNode* parent() const override { return m_parent; }
    int childCount() const override { return static_cast<int>(m_children.size()); }
    TreeNode* child(int index) const override;

   private:
    friend class MemoryTree;
    using Children = std::vector<std::unique_ptr<Node>>;

    Node(Node* parent, std::string_view text) : m_parent(parent), m_text(text) {}

    Node* m_parent;
    std::string m_text;
    Children m_children;
    int m_imageIndex = 0;
    int m_selectedIndex = 0;
    int m_stateIndex = -1;
  };

  MemoryTree() = default;
  MemoryTree(const MemoryTree&) = delete;
  MemoryTree& operator=(const MemoryTree&) = delete;

  // Null when parent is not a node of this tree.
  TreeNode* addChild(TreeNode* parent, const std::string& text) override;
  TreeNode* addFirst(const std::string& text) override;
  // A node that is not in this tree (or null) is left alone.
  void deleteNode(TreeNode* node) override;

  void clear() override;
  // Number of nodes in the whole tree.
  size_t size() const { return m_size; }
  int topCount() const { return static_cast<int>(m_roots.size()); }
  TreeNode* top(int index) const;

  // Visits every node depth first, parents before children, in order; depth 0
  // for top-level nodes.
  void walk(const std::function<void(const TreeNode& node, int depth)>& visit) const;
  // The tree as text: one line per node, indented two blanks per level.
  std::string dump() const;

 private:
  // Inserts a new node at where in siblings.
  Node* insert(Node::Children& siblings, Node::Children::iterator where, Node* parent, std::string_view text);
  static size_t countOf(const Node& node);
  Node::Children& siblingsOf(Node* node);
  bool contains(const TreeNode* node) const;

  Node::Children m_roots;
  size_t m_size = 0;
};

}  // namespace ncp
