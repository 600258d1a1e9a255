// QtTreeNodes: the main window's tree widget as the registry and the state
// handler see a tree (ncp::TreeNodes). Each node is a QtTreeNode, a
// QTreeWidgetItem that is also an ncp::TreeNode, so the widget owns the nodes
// and deleting an item deletes its subtree. Picture indexes select icons of
// the window's image list; the state picture is kept but not drawn (the tree
// has no state-image list).
//
// A node's icon is the one NodeIcons shares for its pair of pictures, and its
// text is kept by the node itself as the status text it begins with and the
// Latin-1 rest (a short name needs no allocation); both are given when the
// view asks. A tree of 100,000 nodes holding a QIcon and a QString (with the
// lists QTreeWidgetItem keeps them in) per node grew the program by 90 MiB.
// A node tells the view of a change only when its text or its pictures
// really change, and only when the view may show it (its parent is open), so
// that a refresh which finds every status as it was costs the view nothing.
//
// Owned by the main window; the tree widget must outlive it. UI thread only.
#pragma once

#include <QIcon>
#include <QList>
#include <QTreeWidgetItem>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ncp/TreeNode.h"
#include "ui/NodeIcons.h"

class QTreeWidget;

class QtTreeNode final : public QTreeWidgetItem, public ncp::TreeNode {
 public:
  QtTreeNode(NodeIcons* icons, const std::string& text);

  std::string text() const override;
  void setText(const std::string& text) override;
  int imageIndex() const override { return m_imageIndex; }
  void setImageIndex(int index) override;
  int selectedIndex() const override { return m_selectedIndex; }
  void setSelectedIndex(int index) override;
  int stateIndex() const override { return m_stateIndex; }
  void setStateIndex(int index) override { m_stateIndex = index; }
  ncp::TreeNode* parent() const override;
  int childCount() const override { return QTreeWidgetItem::childCount(); }
  ncp::TreeNode* child(int index) const override;

  QVariant data(int column, int role) const override;
  // The text of column 0 goes to setText; everything else is the item's.
  void setData(int column, int role, const QVariant& value) override;

  // The node of an item of the tree (null for none or a foreign item).
  static QtTreeNode* of(QTreeWidgetItem* item) { return dynamic_cast<QtTreeNode*>(item); }

  // TreeFind's mark: twice the number of the last find that kept the node
  // (it or a descendant matched), plus 1 when the node matched itself.
  uint32_t findMark = 0;

 private:
  // Tells the view, unless the node is hidden in a closed one.
  void changed();

  // In this order the node takes 168 bytes, which the C library's allocator
  // gives without rounding up: one field more cost 1.6 MiB a 100,000 nodes.
  NodeIcons* m_icons;
  int m_imageIndex = 0;
  int m_selectedIndex = 0;
  int m_stateIndex = -1;
  // The status text with its blank the text begins with (by TXPNetStatus),
  // -1 for none; the rest of the text.
  int8_t m_statusPrefix = -1;
  std::string m_rest;
};

class QtTreeNodes final : public ncp::TreeNodes {
 public:
  // images: the tree's picture list, indexed by the node picture indexes.
  QtTreeNodes(QTreeWidget* tree, QList<QIcon> images);

  // Raised before any node is deleted (deleteNode, clear): whoever keeps
  // items of the tree lets go of them.
  std::function<void()> OnBeforeDelete;

  ncp::TreeNode* addChild(ncp::TreeNode* parent, const std::string& text) override;
  ncp::TreeNode* addFirst(const std::string& text) override;
  void deleteNode(ncp::TreeNode* node) override;
  void clear() override;

  // The item that shows node (null for null).
  static QTreeWidgetItem* item(ncp::TreeNode* node) { return dynamic_cast<QtTreeNode*>(node); }

 private:
  QTreeWidget* m_tree;
  NodeIcons m_icons;
};
