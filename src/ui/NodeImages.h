// NodeImages: the 16 x 16 pictures of the main window's tree, drawn once in
// code. The index is the one the network object registry sets on a node:
// 0 host computer, 1 PATHMON (light blue diamond), 2 to 4 process started,
// starting, abnormal or stopped (green, yellow, red disc), 5 to 7 line
// started, starting, abnormal or stopped (grey plug, then with a red
// exclamation mark), 8 to 10 station likewise (blue double arrow, then with
// a red exclamation mark). Needs a QGuiApplication.
#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

class NodeImages {
 public:
  static constexpr int kCount = 11;
  static constexpr int kSize = 16;

  static QList<QPixmap> pixmaps();
  static QList<QIcon> icons();
};
