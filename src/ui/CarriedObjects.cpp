#include "ui/CarriedObjects.h"

#include <QCoreApplication>
#include <QStringList>
#include <set>
#include <string>
#include <utility>

#include "ui/ChangesPanel.h"

namespace {

// A line that several stations share has a node for each: it counts once.
void count(const TXPNetObjList& registry, const ncp::TreeNode* node, std::set<std::pair<TXPNetType, std::string>>& seen,
           CarriedObjects& out) {
  for (int i = 0; i < node->childCount(); ++i) {
    const ncp::TreeNode* child = node->child(i);
    const ExtInfo* entry = registry.FindByNode(child);
    if (entry && entry->Node == child && seen.insert({entry->NetType, entry->Name}).second) {
      if (entry->NetType == xpStation) ++out.stations[entry->Status];
      if (entry->NetType == xpLine) ++out.lines[entry->Status];
    }
    count(registry, child, seen, out);
  }
}

}  // namespace

CarriedObjects CarriedObjects::Below(const TXPNetObjList& registry, const ncp::TreeNode* node) {
  CarriedObjects out;
  std::set<std::pair<TXPNetType, std::string>> seen;
  if (node) count(registry, node, seen, out);
  return out;
}

QString CarriedObjects::Text(const std::array<int, 4>& byStatus, const QString& singular, const QString& plural) {
  int total = 0;
  QStringList parts;
  for (TXPNetStatus status : kXPNetStatuses) {
    total += byStatus[status];
    if (byStatus[status] > 0) parts << QString("%1 %2").arg(byStatus[status]).arg(StatusWord(status));
  }
  if (total == 0) return QCoreApplication::translate("CarriedObjects", "no %1").arg(plural);
  return QString("%1 %2 (%3)").arg(total).arg(total == 1 ? singular : plural, parts.join(", "));
}
