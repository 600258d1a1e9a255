#include "ui/CarriedObjects.h"

#include <QCoreApplication>
#include <QStringList>

#include "ui/ChangesPanel.h"

namespace {

void count(const TXPNetObjList& registry, const ncp::TreeNode* node, CarriedObjects& out) {
  for (int i = 0; i < node->childCount(); ++i) {
    const ncp::TreeNode* child = node->child(i);
    if (const ExtInfo* entry = registry.FindByNode(child); entry && entry->Node == child) {
      if (entry->NetType == xpStation) ++out.stations[entry->Status];
      if (entry->NetType == xpLine) ++out.lines[entry->Status];
    }
    count(registry, child, out);
  }
}

}  // namespace

CarriedObjects CarriedObjects::Below(const TXPNetObjList& registry, const ncp::TreeNode* node) {
  CarriedObjects out;
  if (node) count(registry, node, out);
  return out;
}

QString CarriedObjects::Text(const std::array<int, 4>& byStatus, const QString& plural) {
  int total = 0;
  QStringList parts;
  for (TXPNetStatus status : kXPNetStatuses) {
    total += byStatus[status];
    if (byStatus[status] > 0) parts << QString("%1 %2").arg(byStatus[status]).arg(StatusWord(status));
  }
  if (total == 0) return QCoreApplication::translate("CarriedObjects", "no %1").arg(plural);
  return QString("%1 %2 (%3)").arg(total).arg(plural, parts.join(", "));
}
