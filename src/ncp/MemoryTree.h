// MemoryTree: the object tree as plain data, for the headless console (which
// prints it) and the tests. Implements the registry's view of a tree
// (TreeNodes/TreeNode); owns every node it makes until deleteNode, clear or
// its own destruction.
//
// Children are kept in creation order; deleting the last child of a node, the
// registry's usual order, is constant time. A node is kept small, since a
// large network has one per object: a text of up to kInlineText bytes (a
// status word and an object name) sits in the node itself, a node without
// children holds no child list, and nodes are made in blocks, their storage
// reused after a deletion, rather than allocated one by one.
#pragma once

#include <cstdint>
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
    static constexpr size_t kInlineText = 24;

    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    std::string text() const override { return std::string(view()); }
    void setText(const std::string& text) override { assign(text); }
    // The text without a copy; valid until the text changes.
    std::string_view view() const { return {isInline() ? m_inline : m_heap, m_length}; }
    int imageIndex() const override { return m_imageIndex; }
    void setImageIndex(int index) override { m_imageIndex = index; }
    int selectedIndex() const override { return m_selectedIndex; }
    void setSelectedIndex(int index) override { m_selectedIndex = index; }
    int stateIndex() const override { return m_stateIndex; }
    void setStateIndex(int index) override { m_stateIndex = index; }
    TreeNode* parent() const override { return m_parent; }
    int childCount() const override { return m_children ? static_cast<int>(m_children->size()) : 0; }
    TreeNode* child(int index) const override;

   private:
    friend class MemoryTree;
    using Children = std::vector<Node*>;  // the nodes belong to the tree

    Node(Node* parent, std::string_view text) : m_parent(parent) { assign(text); }
    ~Node() override;

    bool isInline() const { return m_length <= kInlineText; }
    void assign(std::string_view text);
    Children& children();

    Node* m_parent;
    std::unique_ptr<Children> m_children;  // null until the first child
    int m_imageIndex = 0;
    int m_selectedIndex = 0;
    int m_stateIndex = -1;
    uint32_t m_length = 0;
    union {
      char m_inline[kInlineText];
      char* m_heap;  // new[] of m_length bytes when the text is longer
    };
  };

  MemoryTree() = default;
  ~MemoryTree() override;
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
  // Storage for one node, or a link of the free list once its node is gone.
  union Slot {
    Slot* next;
    alignas(Node) unsigned char bytes[sizeof(Node)];
  };
  static constexpr size_t kBlockSlots = 512;

  // A new node, not yet among its siblings.
  Node* make(Node* parent, std::string_view text);
  // Inserts a new node at where in siblings.
  Node* insert(Node::Children& siblings, Node::Children::iterator where, Node* parent, std::string_view text);
  // Destroys node and its descendants and gives their storage back; returns
  // how many nodes went.
  size_t destroy(Node* node);
  void release(Slot* slot);
  Node::Children& siblingsOf(Node* node);
  bool contains(const TreeNode* node) const;

  Node::Children m_roots;
  size_t m_size = 0;
  std::vector<std::unique_ptr<Slot[]>> m_blocks;
  size_t m_blockUsed = kBlockSlots;  // slots of the newest block handed out
  Slot* m_free = nullptr;
};

}  // namespace ncp
