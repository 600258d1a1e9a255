// NotifierSupport: what every stream that watches its socket with
// QSocketNotifier needs around the notifiers (TWSocket, SshStream), and the
// guard of every place where a socket event starts.
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

// Qt leaves undefined an exception that unwinds through a signal emission or
// any other event dispatch, and a socket event starts in one (a notifier's,
// or a queued call that goes on with the stream's data). Its failure ends
// here: the connection is closed, which the owner hears as OnSessionClosed (a
// send that found the connection reset has raised it with its code already).
// Only an exception from the close itself is handed on, from a queued call of
// its own, to the application's last-resort handler.
template <typename Handler, typename Closer>
void guarded(Handler handler, Closer close) {
  try {
    handler();
  } catch (...) {
    try {
      close();
    } catch (...) {
      QMetaObject::invokeMethod(
          QCoreApplication::instance(), [error = std::current_exception()] { std::rethrow_exception(error); },
          Qt::QueuedConnection);
    }
  }
}

}  // namespace notifiers
