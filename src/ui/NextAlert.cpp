#include "ui/NextAlert.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "ui/QtTreeNodes.h"

namespace {

bool isDown(const RegistryOf& registryOf, QTreeWidgetItem* item) {
  const QtTreeNode* node = QtTreeNode::of(item);
  const TXPNetObjList* registry = node ? registryOf(item) : nullptr;
  const ExtInfo* entry = registry ? registry->FindByNode(node) : nullptr;
  // FindByNode answers the last entry for a node of none (the host node).
  if (!entry || entry->Node != node || entry->NetType == xpPathmon) return false;
  return entry->Status == nsAbnormal || entry->Status == nsStopped;
}

QTreeWidgetItem* lastItem(QTreeWidget* tree) {
  QTreeWidgetItem* item = tree->topLevelItem(tree->topLevelItemCount() - 1);
  while (item && item->childCount() > 0) item = item->child(item->childCount() - 1);
  return item;
}

}  // namespace

QTreeWidgetItem* NextAlert(QTreeWidget* tree, const RegistryOf& registryOf, QTreeWidgetItem* from, bool forward) {
  const auto step = [forward](QTreeWidgetItemIterator& it) {
    if (forward)
      ++it;
    else
      --it;
  };
  const auto search = [&](QTreeWidgetItemIterator it, QTreeWidgetItem* stop) -> QTreeWidgetItem* {
    for (; *it && *it != stop; step(it))
      if (isDown(registryOf, *it)) return *it;
    return nullptr;
  };
  QTreeWidgetItem* start = forward ? tree->topLevelItem(0) : lastItem(tree);
  if (!start) return nullptr;
  if (from) {
    QTreeWidgetItemIterator after(from);
    step(after);
    if (QTreeWidgetItem* found = search(after, nullptr)) return found;
  }
  if (QTreeWidgetItem* found = search(QTreeWidgetItemIterator(start), from)) return found;
  return from && isDown(registryOf, from) ? from : nullptr;
}
