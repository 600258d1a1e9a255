// F8 and Shift+F8 in the main window's tree: the next (or previous) node, in
// the order the tree shows them and wrapping round, whose object is Abnormal
// or Stopped.
#pragma once

#include <functional>

#include "ncp/TXPNetObjList.h"

class QTreeWidget;
class QTreeWidgetItem;

// Starts after (before) from, or at the first (last) node for null; null
// when no object is down.
// registryOf: the registry of the connection that shows an item (null for none).
using RegistryOf = std::function<const TXPNetObjList*(QTreeWidgetItem*)>;
QTreeWidgetItem* NextAlert(QTreeWidget* tree, const RegistryOf& registryOf, QTreeWidgetItem* from, bool forward);
