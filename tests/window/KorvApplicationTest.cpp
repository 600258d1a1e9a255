// The program's application object: an exception that escapes an event
// handler is only a last resort, logged and counted; a socket event ends its
// own.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "ncp/TNCPTelnet.h"
#include "support/EventLoop.h"
#include "transport/TWSocket.h"
#include "ui/KorvApplication.h"

using korvtest::waitUntil;

namespace {

KorvApplication* app() { return static_cast<KorvApplication*>(QCoreApplication::instance()); }

// Accepts every message box the application shows and keeps its text.
struct BoxAnswerer {
  QStringList shown;
  QTimer timer;
  BoxAnswerer() {
    QObject::connect(&timer, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown << box->text();
        box->accept();
      }
    });
    timer.start(5);
  }
};

// The last resort: an exception no action or socket event caught is logged
// and counted, and events are still dispatched.
TEST(KorvApplication, AnExceptionThatReachesTheDispatchIsCountedAndTheProgramGoesOn) {
  BoxAnswerer boxes;
  // The session is not connected: the send of GetPathmon throws inside the
  // timer's event, far from any caller that could catch it.
  TNCPTelnet session;
  const int before = app()->caughtCount();
  QTimer::singleShot(0, &session, [&] { session.GetPathmon(); });
  ASSERT_TRUE(waitUntil([&] { return app()->caughtCount() == before + 1; }));

  bool later = false;
  QTimer::singleShot(0, [&] { later = true; });
  EXPECT_TRUE(waitUntil([&] { return later; })) << "events are still dispatched";
  EXPECT_TRUE(boxes.shown.isEmpty());
}

// A socket event ends its own failure: the connection is closed, the
// notifier's emission runs to its end and nothing reaches the dispatch.
TEST(KorvApplication, AnExceptionFromASocketHandlerClosesTheConnection) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  TWSocket socket;
  socket.OnDataAvailable = [](TStream* s, uint16_t) {
    char byte;
    s->Receive(&byte, 1);
    throw std::runtime_error("handler failed");
  };
  bool closed = false;
  socket.OnSessionClosed = [&](TStream*, uint16_t) { closed = true; };
  socket.SetAddr("127.0.0.1");
  socket.SetPort(std::to_string(server.serverPort()));
  socket.Connect();
  ASSERT_TRUE(waitUntil([&] { return socket.State() == wsConnected && server.hasPendingConnections(); }));
  QTcpSocket* peer = server.nextPendingConnection();

  // A later receiver of the same emission runs only if the emission was not cut short.
  bool emissionEnded = false;
  for (QSocketNotifier* notifier : socket.findChildren<QSocketNotifier*>()) {
    if (notifier->type() != QSocketNotifier::Read) continue;
    QObject::connect(notifier, &QSocketNotifier::activated, [&] { emissionEnded = true; });
  }
  const int before = app()->caughtCount();
  peer->write("x");
  ASSERT_TRUE(waitUntil([&] { return closed; }));
  EXPECT_TRUE(emissionEnded);
  EXPECT_EQ(socket.State(), wsClosed);
  EXPECT_EQ(app()->caughtCount(), before);
}

}  // namespace
