// The main window under floods, with modal boxes up.
// - The host floods the output of a running command (a single-line status,
//   whose every line the session traces into the debug window) with a
//   gigabyte of lines or one line of a hundred megabytes, and the operator
//   opens the About box meanwhile. The window goes on reading inside the
//   box's loop, memory stays bounded, the debug transcript stays within its
//   budget, and once the host ends the answer the command ends.
// - A flood arrives while the "Password salah" box is up. That box opens
//   inside the session's data handler, so what arrives meanwhile waits: the
//   session stops reading and TCP holds the flood back. Once the box is
//   closed, the session reads on and the window goes on.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidgetItem>
#include <algorithm>

#include "InjectingProxy.h"
#include "Measure.h"
#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmDebug.h"

using korvtest::waitUntil;

namespace {

struct FloodCase {
  const char* name;
  const char* simSwitch;
  const char* sizeName;
  int64_t fullSize;
  int64_t smallSize;
};

const FloodCase kCases[] = {
    {"Lines", "--flood", "WINDOW_FLOOD_BYTES", int64_t(128) << 20, int64_t(16) << 20},
    {"EndlessLine", "--long-line", "WINDOW_LINE_BYTES", int64_t(100) << 20, int64_t(16) << 20},
};

void PrintTo(const FloodCase& floodCase, std::ostream* os) { *os << floodCase.name; }

class WindowFlood : public wintest::WindowTest, public ::testing::WithParamInterface<FloodCase> {
 protected:
  int64_t bytes() const { return reltest::heavySize(GetParam().sizeName, GetParam().fullSize, GetParam().smallSize); }
  QStringList simArgs() const override {
    return {GetParam().simSwitch, QString::number(bytes()), "--flood-on", "STATUS LINE LTCP03"};
  }
  int debugBlocks() const {
    win->frmDebug->flushPending();
    return win->frmDebug->mmDebug->document()->blockCount();
  }
};

TEST_P(WindowFlood, WindowReadsOnInsideAModalBoxWithBoundedMemoryAndTheCommandEnds) {
  connectTacl();
  logonNcp();
  ASSERT_NE(item("(Stopped) LTCP03"), nullptr);
  reltest::PeakMemory memory;

  rightClick(item("(Stopped) LTCP03"));
  choose("Refresh Line LTCP03");
  // The operator opens the About box while the flood arrives; it is closed
  // once the window has taken in more of the flood inside the box's loop.
  bool boxOpened = false;
  bool runningWhenClosed = false;
  int blocksWhenOpened = 0;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (!win->frmAbout->isVisible()) return;
    const bool running = win->NCPTelnet->State() == atsCommand;
    if (!running || debugBlocks() >= blocksWhenOpened + 20) {
      runningWhenClosed = running;
      win->frmAbout->reject();
    }
  });
  QTimer::singleShot(0, win.get(), [&] {
    boxOpened = true;
    blocksWhenOpened = debugBlocks();
    closer.start(5);
    win->About1Click();
  });
  ASSERT_TRUE(waitUntil([&] { return boxOpened && !win->frmAbout->isVisible() && idle(); }, 900000))
      << "the command never ended";
  closer.stop();
  EXPECT_TRUE(runningWhenClosed) << "the flood was over before the box closed";

  QTextDocument* transcript = win->frmDebug->mmDebug->document();
  win->frmDebug->flushPending();
  EXPECT_LE(transcript->characterCount(), TfrmDebug::kMaxChars);
  EXPECT_TRUE(transcript->lastBlock().text().contains("EvStatusLine->"))
      << transcript->lastBlock().text().toStdString();
  memory.expectBounded(std::string("window, ") + GetParam().name + " of " + std::to_string(bytes()) +
                       " bytes into a traced command");

  // The window goes on: the next command's answer arrives in full.
  rightClick(item("(Stopped) LTCP03"));
  choose("Start");
  ASSERT_TRUE(waitUntil([&] { return idle() && item("(Stopped) LTCP03") == nullptr; }));
  EXPECT_TRUE(item("(Starting) LTCP03") || item("(Started) LTCP03"));
}

INSTANTIATE_TEST_SUITE_P(Floods, WindowFlood, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

class RefusalFlood : public wintest::WindowTest {};

TEST_F(RefusalFlood, FloodWhileTheRefusalBoxIsUpWaitsInTheNetworkAndTheWindowGoesOn) {
  const int64_t bytes = reltest::heavySize("REFUSAL_FLOOD_BYTES", int64_t(256) << 20, int64_t(64) << 20);
  reltest::InjectingProxy proxy(sim->port());
  answerLogin(QString::fromStdString(proxy.hostPort()), "OPS.OPER", "secret1");
  win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] {
    QTreeWidgetItem* host = hostItem();
    return host && host->isExpanded() && idle();
  }));
  reltest::PeakMemory memory;

  // The box stays up for a second after the flood starts.
  int maxPending = 0;
  int64_t floodedWhileUp = -1;
  QElapsedTimer up;
  catcher.holdWhile = [&](QMessageBox*) {
    maxPending = std::max(maxPending, win->NCPTelnet->PendingChunkCount());
    if (!up.isValid()) {
      up.start();
      proxy.flood(bytes);
    }
    if (up.elapsed() < 1000) return true;
    floodedWhileUp = proxy.flooded();
    return false;
  };
  QTreeWidgetItem* node = item("$PM01");
  ASSERT_NE(node, nullptr);
  win->tvMain->setCurrentItem(node);
  answerNcpLogin("wrong");
  doubleClick(node);
  ASSERT_TRUE(waitUntil([&] { return !catcher.boxes.empty(); }, 60000));
  EXPECT_EQ(catcher.texts(), QStringList{"Password salah"});
  EXPECT_GE(maxPending, 1) << "the flood went on arriving while the box was up";
  EXPECT_LE(maxPending, 2) << "the session went on reading while chunks waited";
  // What the system buffers on both ends of a loopback connection, and the
  // proxy's own quarter megabyte, is far below this.
  reltest::figure("flood bytes sent while the refusal box was up", std::to_string(floodedWhileUp));
  EXPECT_LT(floodedWhileUp, int64_t(16) << 20) << "TCP did not hold the flood back";

  ASSERT_TRUE(waitUntil([&] { return !proxy.flooding() && idle(); }, 600000));
  EXPECT_EQ(proxy.flooded(), bytes);
  memory.expectBounded("window, flood of " + std::to_string(bytes) + " bytes while the refusal box is up");
  catcher.holdWhile = nullptr;
  // The proxy serves one connection: the listing connections it takes and
  // never answers are closed when their logon is overdue, and the operator's
  // connection lists alone.
  logonNcp("$PM01", 60000);
  EXPECT_NE(item("(Stopped) LTCP03"), nullptr);
}

}  // namespace
