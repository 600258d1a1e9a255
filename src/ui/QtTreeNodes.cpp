#include "ui/QtTreeNodes.h"

#include <QTreeWidget>

namespace {

QString fromLatin1(const std::string& text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

}  // namespace

QtTreeNode::QtTreeNode(NodeIcons* icons, const std::string& text) : m_icons(icons) {
  QTreeWidgetItem::setText(0, fromLatin1(text));
}

std::string QtTreeNode::text() const { return QTreeWidgetItem::text(0).toLatin1().toStdString(); }

void QtTreeNode::setText(const std::string& text) {
  if (QTreeWidgetItem::text(0) == QLatin1String(text.data(), qsizetype(text.size()))) return;
  QTreeWidgetItem::setText(0, fromLatin1(text));
}

void QtTreeNode::setImageIndex(int index) {
  if (index == m_imageIndex) return;
  m_imageIndex = index;
  emitDataChanged();
}

void QtTreeNode::setSelectedIndex(int index) {
  if (index == m_selectedIndex) return;
  m_selectedIndex = index;
  emitDataChanged();
}

QVariant QtTreeNode::data(int column, int role) const {
  if (column == 0 && role == Qt::DecorationRole) return m_icons->icon(m_imageIndex, m_selectedIndex);
  return QTreeWidgetItem::data(column, role);
}

ncp::TreeNode* QtTreeNode::parent() const { return of(QTreeWidgetItem::parent()); }

ncp::TreeNode* QtTreeNode::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  return of(QTreeWidgetItem::child(index));
}

QtTreeNodes::QtTreeNodes(QTreeWidget* tree, QList<QIcon> images) : m_tree(tree), m_icons(std::move(images)) {}

ncp::TreeNode* QtTreeNodes::addChild(ncp::TreeNode* parent, const std::string& text) {
  QTreeWidgetItem* parentItem = item(parent);
  if (parent && (!parentItem || parentItem->treeWidget() != m_tree)) return nullptr;
  auto* node = new QtTreeNode(&m_icons, text);
  if (parentItem)
    parentItem->addChild(node);
  else
    m_tree->addTopLevelItem(node);
  return node;
}

ncp::TreeNode* QtTreeNodes::addFirst(const std::string& text) {
  auto* node = new QtTreeNode(&m_icons, text);
  m_tree->insertTopLevelItem(0, node);
  return node;
}

void QtTreeNodes::deleteNode(ncp::TreeNode* node) {
  QTreeWidgetItem* doomed = item(node);
  if (!doomed || doomed->treeWidget() != m_tree) return;
  if (OnBeforeDelete) OnBeforeDelete();
  delete doomed;
}

void QtTreeNodes::clear() {
  if (OnBeforeDelete) OnBeforeDelete();
  m_tree->clear();
}
