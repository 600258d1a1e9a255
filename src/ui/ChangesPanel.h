// ChangesPanel: the main window's Changes dock, the status changes the
// refreshes found: time, object, old and new status, newest first. Keeps the
// last kKept; older ones drop off the bottom. The operator may close it
// (View, Changes opens it again). UI thread only.
#pragma once

#include <QDateTime>
#include <QDockWidget>
#include <QString>
#include <vector>

#include "ncp/XPNetTypes.h"

class QTreeWidget;

struct StatusChange {
  QString object;  // "Station S000123"
  TXPNetStatus before;
  TXPNetStatus after;
};

// "Started", "Stopped", ...: the status as the tree shows it, without brackets.
QString StatusWord(TXPNetStatus status);

class ChangesPanel : public QDockWidget {
  Q_OBJECT
 public:
  static constexpr int kKept = 1000;

  explicit ChangesPanel(QWidget* parent);

  // The changes one refresh found at time, in the registry's order; they go
  // on top.
  void Add(const QDateTime& time, const std::vector<StatusChange>& changes);
  int RowCount() const;
  // The row's texts: time, object, old status, new status (row 0 newest).
  QStringList Row(int row) const;

  QTreeWidget* lvChanges;
};
