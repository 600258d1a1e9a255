#include "ui/RefreshFollower.h"

#include <QApplication>
#include <QDateTime>
#include <QFont>
#include <QTreeWidget>
#include <algorithm>

#include "ui/ChangesPanel.h"
#include "ui/QtTreeNodes.h"

RefreshFollower::RefreshFollower(TNCPTelnet& session, ChangesPanel* panel, QWidget* tree, QWidget* window)
    : QObject(window), m_session(session), m_panel(panel), m_window(window), m_loadPainting(tree) {
  connect(&m_autoRefresh, &QTimer::timeout, this, &RefreshFollower::AutoRefreshTick);
}

bool RefreshFollower::sessionIdle() const { return m_session.State() == atsIdle && m_session.QueueCount() == 0; }

bool RefreshFollower::RefreshAll() { return startRefresh(true); }

bool RefreshFollower::startRefresh(bool byOperator) {
  // A load or refresh that has ended before its end was looked at comes
  // first: the new refresh is compared with it.
  if ((m_loading || m_refreshing) && sessionIdle()) ended();
  if (m_refreshing) return false;
  // The operator's Refresh All goes to the audit trail; the automatic one is
  // no operator action.
  if (byOperator) {
    m_session.PerformStatusAll();
  } else {
    m_session.StatusAll();
  }
  // Nothing goes out unless NCP is logged on.
  m_refreshing = !sessionIdle();
  return m_refreshing;
}

void RefreshFollower::SessionIdle() {
  // The end is looked at from the event loop: a listing's next step is
  // queued by the handler of the step before it.
  if (m_endQueued || !(m_loading || m_refreshing)) return;
  m_endQueued = true;
  QTimer::singleShot(0, this, [this] {
    m_endQueued = false;
    if (sessionIdle()) ended();
  });
}

void RefreshFollower::LoadStarted() {
  m_loading = true;
  m_loadPainting.Start();
}

void RefreshFollower::ended() {
  const bool loaded = m_loading;
  const bool refreshed = m_refreshing;
  m_loading = false;
  m_refreshing = false;
  m_loadPainting.Stop();
  if (loaded)
    takeBaseline();
  else if (refreshed)
    compare();
}

void RefreshFollower::Forget() {
  m_marked.clear();
  m_baseline.clear();
  m_loading = false;
  m_refreshing = false;
  m_loadPainting.Stop();
}

void RefreshFollower::takeBaseline() {
  m_baseline.clear();
  if (!m_registry) return;
  m_baseline.reserve(m_registry->Items().size());
  for (const auto& entry : m_registry->Items()) m_baseline.push_back(entry->Status);
}

void RefreshFollower::compare() {
  for (QTreeWidgetItem* item : m_marked) item->setData(0, Qt::FontRole, QVariant());
  m_marked.clear();
  if (!m_registry) return;
  const auto& items = m_registry->Items();
  if (m_baseline.size() != items.size()) return takeBaseline();

  QFont bold = m_window->font();
  bold.setBold(true);
  std::vector<StatusChange> changes;
  QString down;
  int downs = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const ExtInfo& entry = *items[i];
    if (entry.NetType == xpPathmon || entry.Status == m_baseline[i]) continue;
    QString word = QString::fromLatin1(XPNetTypeWord(entry.NetType));
    word[0] = word[0].toUpper();
    const QString object = word + ' ' + QString::fromLatin1(entry.Name.data(), qsizetype(entry.Name.size()));
    changes.push_back({object, m_baseline[i], entry.Status});
    if (auto* item = QtTreeNodes::item(entry.Node)) {
      item->setFont(0, bold);
      m_marked.push_back(item);
    }
    if (entry.Status == nsAbnormal || entry.Status == nsStopped) {
      if (++downs == 1) down = object + " went " + StatusWord(entry.Status);
    }
  }
  takeBaseline();
  if (!changes.empty()) m_panel->Add(QDateTime::currentDateTime(), changes);
  if (downs == 0 || m_window->isActiveWindow()) return;
  emit Alert(downs == 1 ? down : QString("%1 objects went Abnormal or Stopped").arg(downs));
}

void RefreshFollower::SetAutoRefresh(int seconds) {
  if (seconds <= 0) return m_autoRefresh.stop();
  // A day at most keeps the interval within a timer's range.
  m_autoRefresh.start(std::min(seconds, 24 * 60 * 60) * 1000);
}

void RefreshFollower::AutoRefreshTick() {
  if (QApplication::activeModalWidget() || !(CanRefresh && CanRefresh()) || !sessionIdle()) return;
  startRefresh(false);
}
