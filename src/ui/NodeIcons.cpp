#include "ui/NodeIcons.h"

#include "ui/NodeImages.h"

QPixmap NodeIcons::pixmapAt(int index) const {
  return index >= 0 && index < m_images.size() ? m_images.at(index).pixmap(NodeImages::kSize, NodeImages::kSize)
                                               : QPixmap();
}

const QIcon& NodeIcons::icon(int normal, int selected) {
  const qint64 key = (qint64(normal) << 32) | quint32(selected);
  auto it = m_pairs.find(key);
  if (it != m_pairs.end()) return *it;
  QIcon icon;
  const QPixmap normalPixmap = pixmapAt(normal);
  const QPixmap selectedPixmap = pixmapAt(selected);
  if (!normalPixmap.isNull()) icon.addPixmap(normalPixmap, QIcon::Normal);
  if (!selectedPixmap.isNull()) icon.addPixmap(selectedPixmap, QIcon::Selected);
  return *m_pairs.insert(key, icon);
}
