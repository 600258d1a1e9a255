#include "ui/TreePaintThrottle.h"

#include <QWidget>

TreePaintThrottle::TreePaintThrottle(QWidget* tree) : m_tree(tree) {
  m_timer.setInterval(kIntervalMs);
  QObject::connect(&m_timer, &QTimer::timeout, m_tree, [this] {
    m_tree->setUpdatesEnabled(true);
    m_tree->repaint();
    m_tree->setUpdatesEnabled(false);
  });
}

void TreePaintThrottle::Start() {
  if (m_timer.isActive()) return;
  m_tree->setUpdatesEnabled(false);
  m_timer.start();
}

void TreePaintThrottle::Stop() {
  if (!m_timer.isActive()) return;
  m_timer.stop();
  m_tree->setUpdatesEnabled(true);
}
