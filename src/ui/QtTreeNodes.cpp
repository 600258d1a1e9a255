#include "ui/QtTreeNodes.h"

#include <QTreeWidget>
#include <array>

#include "ncp/ControlBytes.h"
#include "ncp/XPNetTypes.h"

namespace {

// "(Starting) ", "(Abnormal) ", "(Started) ", "(Stopped) ", by TXPNetStatus.
const std::array<std::string, 4>& statusPrefixes() {
  static const std::array<std::string, 4> prefixes = [] {
    std::array<std::string, 4> p;
    for (size_t i = 0; i < p.size(); ++i) p[i] = std::string(XPNetStatusText(TXPNetStatus(i))) + ' ';
    return p;
  }();
  return prefixes;
}

std::string_view prefixOf(int8_t index) {
  return index < 0 ? std::string_view() : std::string_view(statusPrefixes()[size_t(index)]);
}

// The text with each control byte shown as its escape; names that carry
// one are rare, so the common road does not pay for this.
QString escaped(const QString& text) {
  QString out;
  out.reserve(text.size() + 8);
  for (const QChar c : text) {
    const auto byte = static_cast<unsigned char>(c.unicode());
    out += ncp::isControlByte(byte) ? QString::fromLatin1(ncp::escapedControlByte(byte)) : QString(c);
  }
  return out;
}

// The status prefix text begins with, or -1.
int8_t findPrefix(std::string_view text) {
  if (text.empty() || text.front() != '(') return -1;
  const auto& prefixes = statusPrefixes();
  for (size_t i = 0; i < prefixes.size(); ++i)
    if (text.substr(0, prefixes[i].size()) == prefixes[i]) return int8_t(i);
  return -1;
}

}  // namespace

QtTreeNode::QtTreeNode(NodeIcons* icons, const std::string& text) : m_icons(icons) {
  m_statusPrefix = findPrefix(text);
  m_rest = text.substr(prefixOf(m_statusPrefix).size());
}

std::string QtTreeNode::text() const {
  std::string text(prefixOf(m_statusPrefix));
  return text += m_rest;
}

void QtTreeNode::setText(const std::string& text) {
  const int8_t prefix = findPrefix(text);
  const std::string_view rest = std::string_view(text).substr(prefixOf(prefix).size());
  if (prefix == m_statusPrefix && rest == m_rest) return;
  m_statusPrefix = prefix;
  m_rest = rest;
  changed();
}

void QtTreeNode::setData(int column, int role, const QVariant& value) {
  if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole))
    return setText(value.toString().toLatin1().toStdString());
  QTreeWidgetItem::setData(column, role, value);
}

void QtTreeNode::setImageIndex(int index) {
  if (index == m_imageIndex) return;
  m_imageIndex = index;
  changed();
}

void QtTreeNode::setSelectedIndex(int index) {
  if (index == m_selectedIndex) return;
  m_selectedIndex = index;
  changed();
}

void QtTreeNode::changed() {
  // The view lays out the children of a closed node afresh when it is
  // opened; until then a change of theirs is nothing it could show, and
  // telling it cost a sixth of a load.
  QTreeWidgetItem* above = QTreeWidgetItem::parent();
  if (!above || above->isExpanded()) emitDataChanged();
}

QVariant QtTreeNode::data(int column, int role) const {
  if (column == 0 && role == Qt::DecorationRole) return m_icons->icon(m_imageIndex, m_selectedIndex);
  if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole)) {
    const std::string_view prefix = prefixOf(m_statusPrefix);
    QString text(qsizetype(prefix.size() + m_rest.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char c : prefix) *out++ = QChar(uchar(c));
    bool controls = false;
    for (char c : m_rest) {
      controls |= ncp::isControlByte(uchar(c));
      *out++ = QChar(uchar(c));
    }
    return controls ? escaped(text) : text;
  }
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
