// Reconnection: when the window opens again a connection the host or the
// network ended without the operator asking. After each loss, and after
// each attempt that failed, the next attempt waits as ReconnectBackoff says
// (the window shows when); the attempt itself, a logon with the credentials
// the operator gave in this run, is the window's (OnAttempt). The attempts
// end when the connection is back and loaded, when the host refuses the
// logon (a refused password is never tried again, so retries never lock the
// user out), and when the operator connects, disconnects or stops them.
// UI thread only.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>

#include "ncp/ReconnectBackoff.h"

class Reconnection : public QObject {
  Q_OBJECT
 public:
  explicit Reconnection(QObject* parent);

  // Off: a loss schedules nothing.
  bool Enabled = true;
  void SetFirstWait(ReconnectBackoff::Wait first) { m_backoff = ReconnectBackoff(first); }

  // The next attempt is due at that time.
  std::function<void(const QDateTime& at)> OnScheduled;
  // Time for the attempt numbered attempt (from 1).
  std::function<void(int attempt)> OnAttempt;

  // The connection was lost, or the attempt under way failed: the next
  // attempt is scheduled (once, however many ways the failure is told).
  void Lost();
  // The attempts end; the next loss starts from the first wait.
  void Stop();

  bool Attempting() const { return m_attempting; }
  // An attempt is running or scheduled.
  bool Pending() const { return m_attempting || m_timer.isActive(); }

 private:
  void attempt();

  ReconnectBackoff m_backoff;
  QTimer m_timer;
  bool m_attempting = false;
};
