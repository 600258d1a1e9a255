#include "ncp/MemoryTree.h"

#include <algorithm>
#include <new>

namespace ncp {

MemoryTree::Node::~Node() {
  if (!isInline()) delete[] m_heap;
}

TreeNode* MemoryTree::Node::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  return (*m_children)[static_cast<size_t>(index)];
}

void MemoryTree::Node::assign(std::string_view text) {
  // A text longer than a node can hold is cut there; the host's lines are far
  // shorter.
  const auto length = static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX));
  char* heap = length > kInlineText ? new char[length] : nullptr;
  if (!isInline()) delete[] m_heap;
  m_length = length;
  if (heap) m_heap = heap;
  std::copy_n(text.data(), length, heap ? heap : m_inline);
}

MemoryTree::Node::Children& MemoryTree::Node::children() {
  if (!m_children) m_children = std::make_unique<Children>();
  return *m_children;
}

MemoryTree::~MemoryTree() { clear(); }

TreeNode* MemoryTree::addChild(TreeNode* parent, const std::string& text) {
  auto* owner = dynamic_cast<Node*>(parent);
  if (parent && !contains(parent)) return nullptr;
  auto& siblings = owner ? owner->children() : m_roots;
  return insert(siblings, siblings.end(), owner, text);
}

TreeNode* MemoryTree::addFirst(const std::string& text) { return insert(m_roots, m_roots.begin(), nullptr, text); }

void MemoryTree::deleteNode(TreeNode* node) {
  if (!node || !contains(node)) return;
  auto* doomed = static_cast<Node*>(node);
  auto& siblings = siblingsOf(doomed);
  // Searched from the back: the registry deletes the newest children first.
  auto it = std::find(siblings.rbegin(), siblings.rend(), doomed);
  siblings.erase(std::next(it).base());
  m_size -= destroy(doomed);
}

void MemoryTree::clear() {
  for (Node* root : m_roots) destroy(root);
  m_roots.clear();
  m_size = 0;
  m_blocks.clear();
  m_blockUsed = kBlockSlots;
  m_free = nullptr;
}

TreeNode* MemoryTree::top(int index) const {
  if (index < 0 || index >= topCount()) return nullptr;
  return m_roots[static_cast<size_t>(index)];
}

void MemoryTree::walk(const std::function<void(const TreeNode& node, int depth)>& visit) const {
  std::function<void(const TreeNode&, int)> descend = [&](const TreeNode& node, int depth) {
    visit(node, depth);
    for (int i = 0; i < node.childCount(); ++i) descend(*node.child(i), depth + 1);
  };
  for (const Node* root : m_roots) descend(*root, 0);
}

std::string MemoryTree::dump() const {
  std::string out;
  walk([&](const TreeNode& node, int depth) {
    out.append(static_cast<size_t>(depth) * 2, ' ');
    out += node.text();
    out += '\n';
  });
  return out;
}

MemoryTree::Node* MemoryTree::make(Node* parent, std::string_view text) {
  Slot* slot = m_free;
  if (slot) {
    m_free = slot->next;
  } else {
    if (m_blockUsed == kBlockSlots) {
      m_blocks.push_back(std::unique_ptr<Slot[]>(new Slot[kBlockSlots]));
      m_blockUsed = 0;
    }
    slot = &m_blocks.back()[m_blockUsed++];
  }
  try {
    return new (slot->bytes) Node(parent, text);
  } catch (...) {
    release(slot);
    throw;
  }
}

MemoryTree::Node* MemoryTree::insert(Node::Children& siblings, Node::Children::iterator where, Node* parent,
                                     std::string_view text) {
  Node* node = make(parent, text);
  try {
    siblings.insert(where, node);
  } catch (...) {
    destroy(node);
    throw;
  }
  ++m_size;
  return node;
}

size_t MemoryTree::destroy(Node* node) {
  size_t count = 1;
  if (node->m_children) {
    for (Node* child : *node->m_children) count += destroy(child);
  }
  node->~Node();
  release(reinterpret_cast<Slot*>(node));
  return count;
}

void MemoryTree::release(Slot* slot) {
  slot->next = m_free;
  m_free = slot;
}

MemoryTree::Node::Children& MemoryTree::siblingsOf(Node* node) {
  return node->m_parent ? node->m_parent->children() : m_roots;
}

bool MemoryTree::contains(const TreeNode* node) const {
  const auto* n = dynamic_cast<const Node*>(node);
  if (!n) return false;
  while (n->m_parent) n = n->m_parent;
  return std::any_of(m_roots.begin(), m_roots.end(), [&](const Node* root) { return root == n; });
}

}  // namespace ncp
