#include "ncp/SharedTreeNodes.h"

namespace ncp {

namespace {

// A PATHMON's node reads "(NAME)" while its objects are loaded.
bool showsName(const TreeNode& node, const std::string& name) {
  const std::string text = node.text();
  return text == name || text == "(" + name + ")";
}

}  // namespace

TreeNode* SharedTreeNodes::addFirst(const std::string& text) {
  if (m_anchor) return m_anchor;
  TreeNode* node = m_base.addChild(nullptr, text);
  if (node) m_roots.insert(node);
  return node;
}

TreeNode* SharedTreeNodes::addChild(TreeNode* parent, const std::string& text) {
  if (parent && parent == m_anchor) {
    for (int i = 0; i < parent->childCount(); ++i) {
      TreeNode* child = parent->child(i);
      if (m_roots.count(child) == 0 && showsName(*child, text)) return child;
    }
  }
  TreeNode* node = m_base.addChild(parent, text);
  if (node && (!parent || shared(parent))) m_roots.insert(node);
  return node;
}

void SharedTreeNodes::deleteNode(TreeNode* node) {
  if (!node || shared(node)) return;
  m_roots.erase(node);
  m_base.deleteNode(node);
}

void SharedTreeNodes::clear() {
  if (OnBeforeClear) OnBeforeClear();
  const std::set<TreeNode*> roots = std::move(m_roots);
  m_roots.clear();
  for (TreeNode* root : roots) m_base.deleteNode(root);
}

}  // namespace ncp
