// The demo's host simulator: started on a free loopback port, stopped when
// the demo ends; a simulator that cannot start is told in a sentence.
#include <gtest/gtest.h>

#include <QTcpSocket>

#include "ui/DemoHost.h"

namespace {

bool accepts(const QString& hostPort) {
  QTcpSocket socket;
  socket.connectToHost("127.0.0.1", quint16(hostPort.section(':', 1).toUInt()));
  return socket.waitForConnected(5000);
}

TEST(DemoHost, ServesOnALoopbackPortUntilTheDemoEnds) {
  QString hostPort;
  {
    DemoHost demo;
    QString error;
    ASSERT_TRUE(demo.start(KORV_NSKSIM_PATH, &error)) << error.toStdString();
    hostPort = demo.hostPort();
    ASSERT_TRUE(hostPort.startsWith("127.0.0.1:")) << hostPort.toStdString();
    EXPECT_TRUE(accepts(hostPort));
  }
  EXPECT_FALSE(accepts(hostPort));
}

TEST(DemoHost, MissingSimulatorIsToldInASentence) {
  DemoHost demo;
  QString error;
  EXPECT_FALSE(demo.start("/nonexistent/nsksim", &error));
  EXPECT_TRUE(error.startsWith("The host simulator /nonexistent/nsksim did not start")) << error.toStdString();
  EXPECT_TRUE(demo.hostPort().isEmpty());
}

}  // namespace
