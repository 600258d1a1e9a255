// DataAgePanel: the status bar's panel that says how old the picture in the
// window is: the time of the last complete load or refresh and, with auto
// refresh on, when the next one is due; an auto refresh that could not run
// and why; and a lost connection, loudly, with the time the picture dates
// from, until the next logon, and when the window tries to connect again.
// UI thread only.
#pragma once

#include <QDateTime>
#include <QLabel>
#include <QString>

class DataAgePanel : public QLabel {
  Q_OBJECT
 public:
  explicit DataAgePanel(QWidget* parent);

  // A load or refresh ended at; next: the next auto refresh (invalid: off).
  void Refreshed(const QDateTime& at, const QDateTime& next);
  void SetNext(const QDateTime& next);
  void Paused(const QString& reason, const QDateTime& next);
  void Lost(const QString& host, const QDateTime& at);
  // While lost: the next attempt to connect again (invalid: none).
  void Reconnecting(const QDateTime& next);
  // A new logon: the lost state and the last picture's times end.
  void Connected();

  bool IsLost() const { return m_lostAt.isValid(); }
  const QDateTime& LostAt() const { return m_lostAt; }

 private:
  void showState();

  QDateTime m_refreshed;
  QDateTime m_next;
  QString m_paused;
  QString m_host;
  QDateTime m_lostAt;
  QDateTime m_reconnect;
};
