// RefreshFollower: Refresh All as the main window runs it (through the
// window's ListingPool), and what the window shows of each refresh's outcome.
// A load or refresh ends when the session is next idle with nothing queued
// and no listing runs on the pool; then every object whose status differs from
// the end of the previous refresh (or of the load) is marked bold in the tree
// until the next refresh ends, and listed in the Changes panel. When some went
// Abnormal or Stopped while the window was not active, one Alert is raised for
// the whole refresh (the window shows it as the tray's message). A change of
// an object this console started or stopped since the refresh before is
// listed as the console's own.
//
// When the connection is lost the window keeps the statuses of the last
// picture (KeepLostPicture); the first load after it is compared with them,
// so that what changed meanwhile is listed too.
//
// While the objects load the tree is drawn only now and then
// (TreePaintThrottle).
//
// A Refresh All asked for while one runs, or while the load runs on the
// pool, is dropped, never queued. Auto
// refresh runs one every interval, skipped while a refresh or any other
// command runs; one skipped while a modal dialog is open or while NCP is not
// logged on (CanRefresh) is told (Paused).
//
// The marked nodes are held by pointer: the owner calls Forget before the
// tree loses any node. Owned by the main window; the session, the pool, the
// panel and the window must outlive it. UI thread only.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ncp/TNCPTelnet.h"
#include "ncp/TXPNetObjList.h"
#include "ui/TreePaintThrottle.h"

class ChangesPanel;
class ListingPool;
class QTreeWidgetItem;
class QWidget;

class RefreshFollower : public QObject {
  Q_OBJECT
 public:
  RefreshFollower(TNCPTelnet& session, ChangesPanel* panel, QWidget* tree, QWidget* window);

  // Whether NCP is logged on, so that a refresh can run.
  std::function<bool()> CanRefresh;
  // The host its changes are listed under; empty: the panel's host.
  QString Host;

  void SetRegistry(const TXPNetObjList* registry) { m_registry = registry; }
  // The pool the refreshes run through; none: nothing refreshes.
  void SetPool(ListingPool* pool) { m_pool = pool; }

  // The operator's Refresh All, unless one is running; whether one started.
  bool RefreshAll();
  bool Refreshing() const { return m_refreshing; }
  bool Loading() const { return m_loading; }
  // The objects started loading: the end of the load is what the first
  // refresh is compared with.
  void LoadStarted();
  // The session reported itself idle with nothing queued, or the pool's
  // listings have all been handed on.
  void SessionIdle();
  // The load or refresh underway ended without all its answers: nothing is
  // compared or marked; the next refresh is compared with the last whole
  // picture.
  void Abandon();
  // The tree is about to lose nodes: marks, the comparison and any refresh
  // underway are forgotten.
  void Forget();

  // 0 turns auto refresh off.
  void SetAutoRefresh(int seconds);
  bool AutoRefreshOn() const { return m_autoRefresh.isActive(); }
  // The auto refresh timer's tick.
  void AutoRefreshTick();
  // When the next auto refresh is due; invalid when it is off.
  QDateTime NextAutoRefresh() const;

  // This console started or stopped the object.
  void NoteOwnAction(TXPNetType type, const std::string& name);
  // The connection was lost: the statuses now loaded are the picture the
  // next load is compared with.
  void KeepLostPicture();
  void DropLostPicture() { m_lost.clear(); }
  // When a refresh last found the object's status changed; invalid for never.
  QDateTime ChangedAt(TXPNetType type, const std::string& name) const;

 signals:
  void Alert(const QString& message);
  // A load or a refresh has started.
  void Started();
  // A load or a refresh has ended.
  void Refreshed(const QDateTime& at);
  // An auto refresh was due but could not run, for this reason.
  void Paused(const QString& reason);

 private:
  bool sessionIdle() const;
  // Refresh All unless one is running; byOperator: recorded as the operator's action.
  bool startRefresh(bool byOperator);
  void ended();
  void takeBaseline();
  void unmark();
  void compare();
  void compareWithLost();
  using Key = std::pair<TXPNetType, std::string>;
  // The objects whose status differs from what before gives (nothing: not
  // compared), marked bold; listed and alerted on.
  void report(const std::function<const TXPNetStatus*(size_t index, const ExtInfo& entry)>& before);

  TNCPTelnet& m_session;
  ListingPool* m_pool = nullptr;
  ChangesPanel* m_panel;
  QWidget* m_window;
  const TXPNetObjList* m_registry = nullptr;
  bool m_loading = false;
  bool m_refreshing = false;
  bool m_endQueued = false;
  // The status of every entry, in Items order, when the last refresh or load ended.
  std::vector<TXPNetStatus> m_baseline;
  std::vector<QTreeWidgetItem*> m_marked;
  std::map<Key, TXPNetStatus> m_lost;
  std::vector<Key> m_own;
  std::map<Key, QDateTime> m_changedAt;
  QTimer m_autoRefresh;
  TreePaintThrottle m_loadPainting;
};
