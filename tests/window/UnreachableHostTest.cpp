// A host that cannot be reached or that ends the connection before the logon
// has been answered: one clear message to the operator, and the window stays
// usable (Disconnected, and the next Connect works).
#include <QAction>
#include <QTcpServer>
#include <QTreeWidget>

#include "WindowFixture.h"
#include "support/EventLoop.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

using UnreachableHostTest = WindowTest;

TEST_F(UnreachableHostTest, RefusedConnectionIsToldOnceAndConnectWorksAfterwards) {
  // A port that was free a moment ago: nobody listens there.
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
  const QString deadHost = QString("127.0.0.1:%1").arg(probe.serverPort());
  probe.close();

  answerLogin(deadHost, "OPS.OPER", "secret1");
  win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] { return !catcher.boxes.empty(); }));
  korvtest::processQueuedEvents();
  ASSERT_EQ(catcher.boxes.size(), 1u);
  EXPECT_EQ(catcher.boxes[0].text, "Cannot connect to 127.0.0.1: Connection refused (#10061).");
  EXPECT_EQ(win->windowTitle(), "Korvanedrestolin");
  EXPECT_EQ(win->tvMain->topLevelItemCount(), 0);

  catcher.boxes.clear();
  connectTacl();
  EXPECT_EQ(win->mmConnect->text(), "Disconnect");
  EXPECT_TRUE(catcher.boxes.empty());
}

class HostClosingAfterBannerTest : public WindowTest {
 protected:
  QStringList simArgs() const override { return {"--close-on", "banner"}; }
};

TEST_F(HostClosingAfterBannerTest, IsToldOnceAndTheWindowStaysDisconnected) {
  answerLogin(QString::fromStdString(sim->hostPort()), "OPS.OPER", "secret1");
  win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] { return !catcher.boxes.empty(); }));
  korvtest::processQueuedEvents();
  ASSERT_EQ(catcher.boxes.size(), 1u);
  EXPECT_EQ(catcher.boxes[0].text, "The host 127.0.0.1 closed the connection before the logon completed.");
  EXPECT_FALSE(win->NCPTelnet->IsConnected());
  EXPECT_EQ(win->windowTitle(), "Korvanedrestolin");
  EXPECT_NE(win->mmConnect->text(), "Disconnect");
}

TEST_F(UnreachableHostTest, OrderlyEndsTellNothing) {
  // Logged on, then the operator disconnects; the host closes after LOGOUT.
  connectTacl();
  win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] { return !win->NCPTelnet->IsConnected(); }));
  korvtest::processQueuedEvents();
  EXPECT_TRUE(catcher.boxes.empty());
}

}  // namespace

namespace {

TEST_F(UnreachableHostTest, InvalidAddressIsToldOnceAndNothingIsOpened) {
  answerLogin("999.1.1.1", "OPS.OPER", "secret1");
  win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] { return !catcher.boxes.empty(); }));
  korvtest::processQueuedEvents();
  ASSERT_EQ(catcher.boxes.size(), 1u);
  EXPECT_TRUE(catcher.boxes[0].text.startsWith("Cannot connect to 999.1.1.1: connect: Winsock Resolve Host:"))
      << catcher.boxes[0].text.toStdString();
  EXPECT_FALSE(win->NCPTelnet->IsConnected());
  EXPECT_EQ(win->windowTitle(), "Korvanedrestolin");
}

}  // namespace
