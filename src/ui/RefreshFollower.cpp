#include "ui/RefreshFollower.h"

#include <QApplication>
#include <QDateTime>
#include <QFont>
#include <QTreeWidget>
#include <algorithm>

#include "ncp/ListingPool.h"
#include "ui/ChangesPanel.h"
#include "ui/ObjectDetails.h"
#include "ui/QtTreeNodes.h"

RefreshFollower::RefreshFollower(TNCPTelnet& session, ChangesPanel* panel, QWidget* tree, QWidget* window)
    : QObject(window), m_session(session), m_panel(panel), m_window(window), m_loadPainting(tree) {
  connect(&m_autoRefresh, &QTimer::timeout, this, &RefreshFollower::AutoRefreshTick);
}

bool RefreshFollower::sessionIdle() const {
  return m_session.State() == atsIdle && m_session.QueueCount() == 0 && !(m_pool && m_pool->Busy());
}

bool RefreshFollower::RefreshAll() { return startRefresh(true); }

bool RefreshFollower::startRefresh(bool byOperator) {
  // A load or refresh that has ended before its end was looked at comes
  // first: the new refresh is compared with it.
  if ((m_loading || m_refreshing) && sessionIdle()) ended();
  // A run on the pool would replace the load underway there.
  if (m_refreshing || !m_pool || m_pool->Busy()) return false;
  // The operator's Refresh All goes to the audit trail; the automatic one is
  // no operator action.
  if (byOperator) {
    m_pool->PerformStatusAll();
  } else {
    m_pool->StatusAll();
  }
  // Nothing goes out unless NCP is logged on.
  m_refreshing = !sessionIdle();
  if (m_refreshing) emit Started();
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
  emit Started();
}

void RefreshFollower::Abandon() {
  if (!(m_loading || m_refreshing)) return;
  m_loading = false;
  m_refreshing = false;
  m_loadPainting.Stop();
}

void RefreshFollower::ended() {
  const bool loaded = m_loading;
  const bool refreshed = m_refreshing;
  m_loading = false;
  m_refreshing = false;
  m_loadPainting.Stop();
  if (loaded) {
    takeBaseline();
    if (!m_lost.empty()) compareWithLost();
  } else if (refreshed) {
    compare();
  }
  if (loaded || refreshed) emit Refreshed(QDateTime::currentDateTime());
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

void RefreshFollower::unmark() {
  for (QTreeWidgetItem* item : m_marked) item->setData(0, Qt::FontRole, QVariant());
  m_marked.clear();
}

void RefreshFollower::compare() {
  if (m_registry && m_baseline.size() != m_registry->Items().size()) {
    unmark();
    return takeBaseline();
  }
  report([this](size_t index, const ExtInfo&) { return &m_baseline[index]; });
  takeBaseline();
}

void RefreshFollower::compareWithLost() {
  report([this](size_t, const ExtInfo& entry) -> const TXPNetStatus* {
    const auto found = m_lost.find({entry.NetType, entry.Name});
    return found == m_lost.end() ? nullptr : &found->second;
  });
  m_lost.clear();
}

void RefreshFollower::report(const std::function<const TXPNetStatus*(size_t index, const ExtInfo& entry)>& before) {
  unmark();
  if (!m_registry) return;
  const auto& items = m_registry->Items();
  QFont bold = m_window->font();
  bold.setBold(true);
  std::vector<StatusChange> changes;
  const QDateTime now = QDateTime::currentDateTime();
  QString down;
  int downs = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const ExtInfo& entry = *items[i];
    const TXPNetStatus* was = entry.NetType == xpPathmon ? nullptr : before(i, entry);
    if (!was || *was == entry.Status) continue;
    const bool own = std::find(m_own.begin(), m_own.end(), Key{entry.NetType, entry.Name}) != m_own.end();
    changes.push_back({entry.NetType, entry.Name, PathmonOf(*m_registry, entry), *was, entry.Status, own, Host});
    m_changedAt[{entry.NetType, entry.Name}] = now;
    if (auto* item = QtTreeNodes::item(entry.Node)) {
      item->setFont(0, bold);
      m_marked.push_back(item);
    }
    if (entry.Status == nsAbnormal || entry.Status == nsStopped) {
      if (++downs == 1) down = tr("%1 went %2").arg(ObjectWords(entry.NetType, entry.Name), StatusWord(entry.Status));
    }
  }
  m_own.clear();
  if (!changes.empty()) m_panel->Add(now, changes);
  if (downs == 0 || m_window->isActiveWindow()) return;
  emit Alert(downs == 1 ? down : tr("%1 objects went Abnormal or Stopped").arg(downs));
}

QDateTime RefreshFollower::ChangedAt(TXPNetType type, const std::string& name) const {
  const auto found = m_changedAt.find({type, name});
  return found == m_changedAt.end() ? QDateTime() : found->second;
}

void RefreshFollower::NoteOwnAction(TXPNetType type, const std::string& name) { m_own.push_back({type, name}); }

void RefreshFollower::KeepLostPicture() {
  m_lost.clear();
  if (!m_registry) return;
  for (const auto& entry : m_registry->Items()) m_lost[{entry->NetType, entry->Name}] = entry->Status;
}

void RefreshFollower::SetAutoRefresh(int seconds) {
  if (seconds <= 0) return m_autoRefresh.stop();
  // A day at most keeps the interval within a timer's range.
  m_autoRefresh.start(std::min(seconds, 24 * 60 * 60) * 1000);
}

void RefreshFollower::AutoRefreshTick() {
  if (QApplication::activeModalWidget()) return emit Paused(tr("a dialog is open"));
  if (!(CanRefresh && CanRefresh())) return emit Paused(tr("NCP is not logged on"));
  if (!sessionIdle()) return;
  try {
    startRefresh(false);
  } catch (const ESocketException& e) {
    // The connection is gone under the timer; its end is told when the
    // session closes, and until then the next tick tries again.
    emit Paused(QString::fromLatin1(e.what()));
  }
}

QDateTime RefreshFollower::NextAutoRefresh() const {
  if (!m_autoRefresh.isActive()) return {};
  return QDateTime::currentDateTime().addMSecs(m_autoRefresh.remainingTime());
}
