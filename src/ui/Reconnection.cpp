#include "ui/Reconnection.h"

Reconnection::Reconnection(QObject* parent) : QObject(parent) {
  m_timer.setSingleShot(true);
  connect(&m_timer, &QTimer::timeout, this, &Reconnection::attempt);
}

void Reconnection::Lost() {
  if (!Enabled || m_timer.isActive()) return;
  m_attempting = false;
  const ReconnectBackoff::Wait wait = m_backoff.next();
  m_timer.start(wait);
  if (OnScheduled) OnScheduled(QDateTime::currentDateTime().addMSecs(wait.count()));
}

void Reconnection::Stop() {
  m_timer.stop();
  m_attempting = false;
  m_backoff.reset();
}

void Reconnection::attempt() {
  m_attempting = true;
  if (OnAttempt) OnAttempt(m_backoff.attempts());
}
