// NodeIcons: the icons of the main window's tree, one QIcon per pair of
// pictures (normal, selected) a node shows, made when first asked and shared
// by every node that shows that pair. A node holds no icon of its own: a
// large network would otherwise hold one per node, and building each anew
// from two pixmaps cost most of a load. UI thread only.
#pragma once

#include <QHash>
#include <QIcon>
#include <QList>

class NodeIcons {
 public:
  // images: the tree's picture list, indexed by the node picture indexes.
  explicit NodeIcons(QList<QIcon> images) : m_images(std::move(images)) {}

  // A picture index outside the list shows no picture, as an image list does.
  const QIcon& icon(int normal, int selected);

 private:
  QPixmap pixmapAt(int index) const;

  QList<QIcon> m_images;
  QHash<qint64, QIcon> m_pairs;
};
