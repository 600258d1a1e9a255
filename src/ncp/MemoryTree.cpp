#include "ncp/MemoryTree.h"

#include <algorithm>

namespace ncp {

namespace {

size_t countNodes(const TreeNode& node) {
  size_t count = 1;
  for (int i = 0; i < node.childCount(); ++i) count += countNodes(*node.child(i));
  return count;
}

}  // namespace

MemoryTree::Node::~Node() {
  if (!isInline()) delete[] m_heap;
}

TreeNode* MemoryTree::Node::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  return (*m_children)[static_cast<size_t>(index)].get();
}

void MemoryTree::Node::assign(std::string_view text) {
  // A text longer than a node can hold is cut there; the host's lines are far
  // shorter.
  const auto length = static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX));
  char* heap = length > kInlineText ? new char[length] : nullptr;
  if (!isInline()) delete[] m_heap;
  m_length = length;
  if (heap) {
    m_heap = heap;
  }
  std::copy_n(text.data(), length, heap ? heap : m_inline);
}

MemoryTree::Node::Children& MemoryTree::Node::children() {
  if (!m_children) m_children = std::make_unique<Children>();
  return *m_children;
}

TreeNode* MemoryTree::addChild(TreeNode* parent, const std::string& text) {
  auto* owner = dynamic_cast<Node*>(parent);
  if (parent && !contains(parent)) return nullptr;
  auto& siblings = owner ? owner->children() : m_roots;
  siblings.push_back(std::make_unique<Node>(owner, text));
  ++m_size;
  return siblings.back().get();
}

TreeNode* MemoryTree::addFirst(const std::string& text) {
  m_roots.insert(m_roots.begin(), std::make_unique<Node>(nullptr, text));
  ++m_size;
  return m_roots.front().get();
}

void MemoryTree::deleteNode(TreeNode* node) {
  if (!node || !contains(node)) return;
  auto* doomed = static_cast<Node*>(node);
  auto& siblings = siblingsOf(doomed);
  // Searched from the back: the registry deletes the newest children first.
  auto it = std::find_if(siblings.rbegin(), siblings.rend(), [&](const auto& n) { return n.get() == doomed; });
  m_size -= countNodes(*doomed);
  siblings.erase(std::next(it).base());
}

void MemoryTree::clear() {
  m_roots.clear();
  m_size = 0;
}

TreeNode* MemoryTree::top(int index) const {
  if (index < 0 || index >= topCount()) return nullptr;
  return m_roots[static_cast<size_t>(index)].get();
}

void MemoryTree::walk(const std::function<void(const TreeNode& node, int depth)>& visit) const {
  std::function<void(const TreeNode&, int)> descend = [&](const TreeNode& node, int depth) {
    visit(node, depth);
    for (int i = 0; i < node.childCount(); ++i) descend(*node.child(i), depth + 1);
  };
  for (const auto& root : m_roots) descend(*root, 0);
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

MemoryTree::Node::Children& MemoryTree::siblingsOf(Node* node) {
  return node->m_parent ? node->m_parent->children() : m_roots;
}

bool MemoryTree::contains(const TreeNode* node) const {
  const auto* n = dynamic_cast<const Node*>(node);
  if (!n) return false;
  while (n->m_parent) n = n->m_parent;
  return std::any_of(m_roots.begin(), m_roots.end(), [&](const auto& root) { return root.get() == n; });
}

}  // namespace ncp
