#include "ncp/MemoryTree.h"

#include <algorithm>

namespace ncp {

TreeNode* MemoryTree::Node::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  return m_children[static_cast<size_t>(index)].get();
}

TreeNode* MemoryTree::addChild(TreeNode* parent, const std::string& text) {
  auto* owner = dynamic_cast<Node*>(parent);
  if (parent && !contains(parent)) return nullptr;
  auto& siblings = owner ? owner->m_children : m_roots;
  return insert(siblings, siblings.end(), owner, text);
}

TreeNode* MemoryTree::addFirst(const std::string& text) { return insert(m_roots, m_roots.begin(), nullptr, text); }

void MemoryTree::deleteNode(TreeNode* node) {
  if (!node || !contains(node)) return;
  auto* doomed = static_cast<Node*>(node);
  auto& siblings = siblingsOf(doomed);
  // Searched from the back: the registry deletes the newest children first.
  auto it = std::find_if(siblings.rbegin(), siblings.rend(), [&](const auto& n) { return n.get() == doomed; });
  m_size -= countOf(*doomed);
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

MemoryTree::Node* MemoryTree::insert(Node::Children& siblings, Node::Children::iterator where, Node* parent,
                                     std::string_view text) {
  Node* node = siblings.insert(where, std::unique_ptr<Node>(new Node(parent, text)))->get();
  ++m_size;
  return node;
}

size_t MemoryTree::countOf(const Node& node) {
  size_t count = 1;
  for (const auto& child : node.m_children) count += countOf(*child);
  return count;
}

MemoryTree::Node::Children& MemoryTree::siblingsOf(Node* node) {
  return node->m_parent ? node->m_parent->m_children : m_roots;
}

bool MemoryTree::contains(const TreeNode* node) const {
  const auto* n = dynamic_cast<const Node*>(node);
  if (!n) return false;
  while (n->m_parent) n = n->m_parent;
  return std::any_of(m_roots.begin(), m_roots.end(), [&](const auto& root) { return root.get() == n; });
}

}  // namespace ncp
