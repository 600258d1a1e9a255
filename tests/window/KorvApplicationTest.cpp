// The program's application object: an exception that escapes an event
// handler is shown to the operator and the program keeps running.
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

TEST(KorvApplication, SocketErrorFromASendInsideAnEventIsShownAndTheProgramGoesOn) {
  BoxAnswerer boxes;
  QStringList& shown = boxes.shown;

  // The session is not connected: the send of GetPathmon throws inside the
  // timer's event, far from any caller that could catch it.
  TNCPTelnet session;
  const int before = app()->caughtCount();
  QTimer::singleShot(0, &session, [&] { session.GetPathmon(); });
  ASSERT_TRUE(waitUntil([&] { return !shown.isEmpty(); }));
  EXPECT_EQ(app()->caughtCount(), before + 1);
  EXPECT_FALSE(shown.first().isEmpty());

  bool later = false;
  QTimer::singleShot(0, [&] { later = true; });
  EXPECT_TRUE(waitUntil([&] { return later; })) << "events are still dispatched";
  EXPECT_EQ(shown.size(), 1);
}

// Qt leaves undefined an exception that unwinds through a signal emission: one
// thrown by a socket handler reaches the operator only after the socket
// notifier's emission has run to its end.
TEST(KorvApplication, ExceptionFromASocketHandlerIsShownAfterTheNotifierEmission) {
  BoxAnswerer boxes;
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  TWSocket socket;
  socket.OnDataAvailable = [](TStream* s, uint16_t) {
    char byte;
    s->Receive(&byte, 1);
    throw std::runtime_error("handler failed");
  };
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
  ASSERT_TRUE(waitUntil([&] { return !boxes.shown.isEmpty(); }));
  EXPECT_TRUE(emissionEnded);
  EXPECT_EQ(boxes.shown.first(), "handler failed");
  EXPECT_EQ(app()->caughtCount(), before + 1);
}

}  // namespace
