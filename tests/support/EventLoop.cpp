#include "EventLoop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>
#include <memory>

namespace korvtest {

bool waitUntil(const std::function<bool()>& pred, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!pred()) {
    if (deadline.hasExpired()) return pred();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::usleep(200);
  }
  return true;
}

void processQueuedEvents() {
  for (int round = 0; round < 2; ++round) {
    // Shared: were the wait to give up, the marker would still run later.
    const auto ran = std::make_shared<bool>(false);
    QTimer::singleShot(0, [ran] { *ran = true; });
    waitUntil([ran] { return *ran; });
  }
}

void spin(int ms) {
  QDeadlineTimer deadline(ms);
  while (!deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::usleep(200);
  }
}

}  // namespace korvtest
