// F8 and Shift+F8 in the main window's tree: the next (or previous) node, in
// the order the tree shows them and wrapping round, whose object is Abnormal
// or Stopped.
#pragma once

#include "ncp/TXPNetObjList.h"

class QTreeWidget;
class QTreeWidgetItem;

// Starts after (before) from, or at the first (last) node for null; null
// when no object is down.
QTreeWidgetItem* NextAlert(QTreeWidget* tree, const TXPNetObjList& registry, QTreeWidgetItem* from, bool forward);
