#include "ui/ObjectDetails.h"

#include <QCoreApplication>

#include "ui/CarriedObjects.h"
#include "ui/ChangesPanel.h"

namespace {

// The context the catalogue files these texts under.
struct Texts {
  Q_DECLARE_TR_FUNCTIONS(ObjectDetails)
};

QString latin1(const std::string& text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

}  // namespace

QString PathmonOf(const TXPNetObjList& registry, const ExtInfo& entry) {
  const ncp::TreeNode* node = entry.Node;
  while (node && node->parent() && node->parent()->parent()) node = node->parent();
  const ExtInfo* pathmon = node ? registry.FindByNode(node) : nullptr;
  return pathmon ? latin1(pathmon->Name) : QString();
}

std::vector<std::pair<QString, QString>> ObjectDetails(const TXPNetObjList& registry, const ExtInfo& entry,
                                                       const QDateTime& changedAt, const QString& lastAnswer) {
  QString type = QString::fromLatin1(XPNetTypeWord(entry.NetType));
  if (!type.isEmpty()) type[0] = type[0].toUpper();
  std::vector<std::pair<QString, QString>> rows{{Texts::tr("Type"), type}, {Texts::tr("Name"), latin1(entry.Name)}};
  if (entry.NetType == xpPathmon) return rows;
  rows.emplace_back(Texts::tr("Status"), StatusWord(entry.Status));
  rows.emplace_back(Texts::tr("PATHMON"), PathmonOf(registry, entry));
  const ExtInfo* parent = entry.Node->parent() ? registry.FindByNode(entry.Node->parent()) : nullptr;
  if (parent && parent->NetType != xpPathmon)
    rows.emplace_back(Texts::tr("Parent"), ObjectWords(parent->NetType, parent->Name));
  if (entry.NetType == xpProcess) {
    const CarriedObjects carried = CarriedObjects::Below(registry, entry.Node);
    rows.emplace_back(Texts::tr("Stations"),
                      CarriedObjects::Text(carried.stations, Texts::tr("station"), Texts::tr("stations")));
    rows.emplace_back(Texts::tr("Lines"), CarriedObjects::Text(carried.lines, Texts::tr("line"), Texts::tr("lines")));
  }
  rows.emplace_back(Texts::tr("Status changed"),
                    changedAt.isValid() ? changedAt.toString("yyyy-MM-dd HH:mm:ss") : Texts::tr("not since the load"));
  rows.emplace_back(Texts::tr("Host's answer"), lastAnswer.isEmpty() ? Texts::tr("none") : lastAnswer);
  return rows;
}
