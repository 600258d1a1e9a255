// TreePaintThrottle: while a network loads, the main window's tree is drawn
// every kIntervalMs rather than after every read from the host. A load of
// 50,000 stations brought a thousand reads that each gave a process its
// first child, and so a new drawing of every row in view: a third of the
// load's CPU time, for a picture nobody could follow at that pace. UI thread only.
#pragma once

#include <QTimer>

class QWidget;

class TreePaintThrottle {
 public:
  static constexpr int kIntervalMs = 200;

  explicit TreePaintThrottle(QWidget* tree);

  void Start();
  // The tree is drawn as usual again, at once.
  void Stop();

 private:
  QWidget* m_tree;
  QTimer m_timer;
};
