// ChangesPanel: the main window's Changes dock, an alarm list of the status
// changes the refreshes found: date and time, object, old and new status, the
// host and PATHMON, whether this console's own action caused it, and who
// acknowledged it and when; newest first. Keeps the last kKept; older ones
// drop off the bottom.
//
// Rows belong to the host they were found on: SetHost shows only that
// host's rows, and a later connection to a host shows its rows again. Enter
// or a double click on a row asks the window to select its object (Open);
// Acknowledge marks the selected rows, Acknowledge All every shown row, and
// each acknowledgement is handed on (Acknowledged) for the audit trail. The
// problems (a change to Abnormal or Stopped) not yet acknowledged on the
// shown host are counted. The operator may close it (View, Changes opens it
// again). UI thread only.
#pragma once

#include <QDateTime>
#include <QDockWidget>
#include <QString>
#include <string>
#include <vector>

#include "ncp/XPNetTypes.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

struct StatusChange {
  TXPNetType type = xpUnknown;
  std::string name;  // "S000123"
  QString pathmon;
  TXPNetStatus before = nsStarted;
  TXPNetStatus after = nsStarted;
  bool ownAction = false;  // this console started or stopped it
  QString host;            // empty: the host now connected
};

// "Started", "Stopped", ...: the status as the tree shows it, without brackets.
QString StatusWord(TXPNetStatus status);
// "Station S000123".
QString ObjectWords(TXPNetType type, const std::string& name);

class ChangesPanel : public QDockWidget {
  Q_OBJECT
 public:
  static constexpr int kKept = 1000;
  enum Column { kTime, kObject, kOld, kNew, kHost, kPathmon, kBy, kAcknowledged, kColumns };

  explicit ChangesPanel(QWidget* parent);

  // The host now connected; who acknowledges from now on.
  void SetHost(const QString& host, const QString& user);
  // The changes one refresh found at time, in the registry's order; they go
  // on top.
  void Add(const QDateTime& time, const std::vector<StatusChange>& changes);
  // The rows of the shown host.
  int RowCount() const;
  // The row's texts by Column (row 0 newest of the shown host).
  QStringList Row(int row) const;
  int Unacknowledged() const { return m_unacknowledged; }

  void AcknowledgeSelected();
  void AcknowledgeAll();

  QTreeWidget* lvChanges;
  QPushButton* btnAcknowledge;
  QPushButton* btnAcknowledgeAll;

 signals:
  void Open(TXPNetType type, const QString& name, const QString& host, const QString& pathmon);
  // One row acknowledged: its object and new status.
  void Acknowledged(TXPNetType type, const QString& name, TXPNetStatus status);
  void UnacknowledgedChanged(int count);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTreeWidgetItem* shownRow(int row) const;
  void acknowledge(QTreeWidgetItem* item, const QString& at);
  void openRow(QTreeWidgetItem* item);
  void recount();

  QString m_host;
  QString m_user;
  int m_unacknowledged = 0;
};
