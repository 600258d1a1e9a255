#include "ui/QtTreeNodes.h"

#include <QTreeWidget>

namespace {

QString fromLatin1(const std::string& text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

}  // namespace

QtTreeNode::QtTreeNode(const QList<QIcon>* images, const std::string& text) : m_images(images) {
  QTreeWidgetItem::setText(0, fromLatin1(text));
  updateIcon();
}

std::string QtTreeNode::text() const { return QTreeWidgetItem::text(0).toLatin1().toStdString(); }

void QtTreeNode::setText(const std::string& text) { QTreeWidgetItem::setText(0, fromLatin1(text)); }

void QtTreeNode::setImageIndex(int index) {
  m_imageIndex = index;
  updateIcon();
}

void QtTreeNode::setSelectedIndex(int index) {
  m_selectedIndex = index;
  updateIcon();
}

ncp::TreeNode* QtTreeNode::parent() const { return of(QTreeWidgetItem::parent()); }

ncp::TreeNode* QtTreeNode::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  return of(QTreeWidgetItem::child(index));
}

// A picture index outside the list shows no picture, as an image list does.
void QtTreeNode::updateIcon() {
  const auto pixmapAt = [this](int index) {
    return index >= 0 && index < m_images->size() ? m_images->at(index).pixmap(16, 16) : QPixmap();
  };
  QIcon icon;
  const QPixmap normal = pixmapAt(m_imageIndex);
  const QPixmap selected = pixmapAt(m_selectedIndex);
  if (!normal.isNull()) icon.addPixmap(normal, QIcon::Normal);
  if (!selected.isNull()) icon.addPixmap(selected, QIcon::Selected);
  setIcon(0, icon);
}

QtTreeNodes::QtTreeNodes(QTreeWidget* tree, QList<QIcon> images) : m_tree(tree), m_images(std::move(images)) {}

ncp::TreeNode* QtTreeNodes::addChild(ncp::TreeNode* parent, const std::string& text) {
  QTreeWidgetItem* parentItem = item(parent);
  if (parent && (!parentItem || parentItem->treeWidget() != m_tree)) return nullptr;
  auto* node = new QtTreeNode(&m_images, text);
  if (parentItem)
    parentItem->addChild(node);
  else
    m_tree->addTopLevelItem(node);
  return node;
}

ncp::TreeNode* QtTreeNodes::addFirst(const std::string& text) {
  auto* node = new QtTreeNode(&m_images, text);
  m_tree->insertTopLevelItem(0, node);
  return node;
}

void QtTreeNodes::deleteNode(ncp::TreeNode* node) {
  QTreeWidgetItem* doomed = item(node);
  if (doomed && doomed->treeWidget() == m_tree) delete doomed;
}

void QtTreeNodes::clear() { m_tree->clear(); }
