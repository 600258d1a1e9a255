// NotifierSupport: what every stream that watches its socket with
// QSocketNotifier needs around the notifiers (TWSocket, SshStream).
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>
#include <exception>

namespace notifiers {

// Disables and deletes a notifier, and forgets it.
inline void drop(QSocketNotifier*& notifier) {
  if (notifier == nullptr) return;
  // It may be the sender of the event being handled, so it goes later.
  notifier->setEnabled(false);
  notifier->deleteLater();
  notifier = nullptr;
}

// Qt leaves undefined an exception that unwinds through a signal emission, and
// a notifier calls its handlers from one: the exception is taken here and
// rethrown from a queued call, where the application's handler catches it.
template <typename Handler>
void guarded(Handler handler) {
  try {
    handler();
  } catch (...) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [error = std::current_exception()] { std::rethrow_exception(error); },
        Qt::QueuedConnection);
  }
}

}  // namespace notifiers
