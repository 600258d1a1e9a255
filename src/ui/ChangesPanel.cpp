#include "ui/ChangesPanel.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>

QString StatusWord(TXPNetStatus status) {
  // "(Started)" as the tree shows it, without the brackets.
  const QString text = QString::fromLatin1(XPNetStatusText(status));
  return text.mid(1, text.size() - 2);
}

ChangesPanel::ChangesPanel(QWidget* parent) : QDockWidget("Changes", parent) {
  setObjectName("dkChanges");
  setAccessibleName("Status changes");
  lvChanges = new QTreeWidget(this);
  lvChanges->setObjectName("lvChanges");
  lvChanges->setAccessibleName("Status changes, newest first");
  lvChanges->setRootIsDecorated(false);
  lvChanges->setUniformRowHeights(true);
  lvChanges->setHeaderLabels({"Time", "Object", "Old", "New"});
  lvChanges->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  setWidget(lvChanges);
}

void ChangesPanel::Add(const QDateTime& time, const std::vector<StatusChange>& changes) {
  const QString at = time.toString("HH:mm:ss");
  const size_t shown = std::min(changes.size(), size_t(kKept));
  QList<QTreeWidgetItem*> rows;
  rows.reserve(qsizetype(shown));
  // Newest first; within one refresh in the registry's order.
  for (size_t i = 0; i < shown; ++i) {
    const StatusChange& c = changes[i];
    rows << new QTreeWidgetItem(QStringList{at, c.object, StatusWord(c.before), StatusWord(c.after)});
  }
  lvChanges->insertTopLevelItems(0, rows);
  while (lvChanges->topLevelItemCount() > kKept) delete lvChanges->takeTopLevelItem(lvChanges->topLevelItemCount() - 1);
}

int ChangesPanel::RowCount() const { return lvChanges->topLevelItemCount(); }

QStringList ChangesPanel::Row(int row) const {
  QStringList out;
  if (QTreeWidgetItem* item = lvChanges->topLevelItem(row))
    for (int c = 0; c < item->columnCount(); ++c) out << item->text(c);
  return out;
}
