#include "ui/DataAgePanel.h"

DataAgePanel::DataAgePanel(QWidget* parent) : QLabel(parent) {
  setObjectName("sbAge");
  setAccessibleDescription(tr("Age of the data shown"));
}

void DataAgePanel::Refreshed(const QDateTime& at, const QDateTime& next) {
  m_refreshed = at;
  m_next = next;
  m_paused.clear();
  showState();
}

void DataAgePanel::SetNext(const QDateTime& next) {
  m_next = next;
  if (!next.isValid()) m_paused.clear();
  showState();
}

void DataAgePanel::Paused(const QString& reason, const QDateTime& next) {
  m_paused = reason;
  m_next = next;
  showState();
}

void DataAgePanel::Lost(const QString& host, const QDateTime& at) {
  m_host = host;
  m_lostAt = at;
  showState();
}

void DataAgePanel::Reconnecting(const QDateTime& next) {
  m_reconnect = next;
  showState();
}

void DataAgePanel::Connected() {
  m_lostAt = {};
  m_reconnect = {};
  m_refreshed = {};
  m_paused.clear();
  showState();
}

void DataAgePanel::showState() {
  if (IsLost()) {
    // Never to be taken for an all-clear: white on red.
    setStyleSheet("QLabel { background: #b00000; color: white; font-weight: bold; }");
    const QString lost = tr("LOST at %1").arg(m_lostAt.toString("HH:mm:ss"));
    setText(m_reconnect.isValid() ? tr("%1, reconnecting at %2").arg(lost, m_reconnect.toString("HH:mm:ss")) : lost);
    setToolTip(tr("The connection to %1 was lost at %2; the window shows the last known picture.")
                   .arg(m_host, m_lostAt.toString("yyyy-MM-dd HH:mm:ss")));
    return;
  }
  setStyleSheet({});
  QStringList parts;
  if (m_refreshed.isValid()) parts << tr("Refreshed %1").arg(m_refreshed.toString("HH:mm:ss"));
  if (!m_paused.isEmpty())
    parts << tr("auto refresh paused: %1").arg(m_paused);
  else if (m_next.isValid() && m_refreshed.isValid())
    parts << tr("next %1").arg(m_next.toString("HH:mm:ss"));
  setText(parts.join(", "));
  setToolTip(text());
}
