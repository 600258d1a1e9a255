// A host that floods the console: a line of many megabytes without a line
// feed, and a gigabyte of unsolicited lines, read by the NonStop session from
// the host simulator, also while a completion handler runs a nested event
// loop (a modal dialog). Every byte the session hands on is counted, memory
// stays bounded (peak resident size above the figure before the flood), and
// while chunks wait for the nested loop to end the session stops reading so
// that TCP holds the host back.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "Measure.h"
#include "Operator.h"
#include "nsk/TNSKTelnet.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;
using korvtest::waitUntil;
using ncp::NcpEvent;

namespace {

constexpr char kMenuPrompt[] = "Enter Choice> ";

// A NonStop session that reads everything the host sends with its own data
// handler and no command running: every line goes to OnStringAvailable.
class Reader : public TNSKTelnet {
 public:
  explicit Reader(uint16_t port) {
    Host = "127.0.0.1";
    Port = std::to_string(port);
    InstallOwnDataHandler(
        [this](TTnCnx* sender, const char* buffer, int len) { SessionDataAvailable(sender, buffer, len); });
    OnStringAvailable = [this](TTnCnx*, const std::string& line, TNSKTelnetState state) { seen(line, state); };
    Connect();
  }

  // What the lines after the service menu add up to: their characters, plus
  // the line end the session dropped (CR LF after a text, LF alone after an
  // empty line); for an endless line, its pieces and what is still collected.
  int64_t accounted() const { return chars + 2 * nonEmpty + empty; }
  int64_t collected() const { return chars + static_cast<int64_t>(CurrentLine().size()); }

  std::function<void(const std::string& line)> onFirstLine;
  int64_t chars = 0;
  int64_t nonEmpty = 0;
  int64_t empty = 0;
  size_t longest = 0;
  int64_t lastEvent = 0;
  int64_t eventsOutOfOrder = 0;

 private:
  void seen(std::string line, TNSKTelnetState state) {
    if (!m_afterMenu) {
      const size_t at = line.find(kMenuPrompt);
      if (at == std::string::npos) return;
      m_afterMenu = true;
      line.erase(0, at + sizeof kMenuPrompt - 1);
      if (line.empty() && state == atsCommandEnd) return;
    }
    if (onFirstLine) {
      const auto first = std::move(onFirstLine);
      onFirstLine = nullptr;
      first(line);
    }
    chars += static_cast<int64_t>(line.size());
    (line.empty() ? empty : nonEmpty) += 1;
    longest = std::max(longest, line.size());
    // "UNSOLICITED EMS EVENT 000000001 ...": the numbers only ever grow.
    if (line.size() >= 31 && line.rfind("UNSOLICITED EMS EVENT ", 0) == 0) {
      const int64_t number = std::stoll(line.substr(22, 9));
      if (number <= lastEvent) ++eventsOutOfOrder;
      lastEvent = number;
    }
  }
  bool m_afterMenu = false;
};

void reportRate(const std::string& what, int64_t bytes, const QElapsedTimer& timer) {
  const double seconds = static_cast<double>(timer.elapsed()) / 1000.0;
  reltest::figure(what + " time", std::to_string(seconds) + " s for " + std::to_string(bytes) + " bytes");
}

TEST(Flood, EveryUnsolicitedLineIsHandedOnWithBoundedMemory) {
  const int64_t bytes = reltest::heavySize("FLOOD_BYTES", int64_t(1) << 30, int64_t(64) << 20);
  NskSimProcess sim({"--flood", QString::number(bytes)});
  ASSERT_TRUE(sim.started());
  reltest::PeakMemory memory;
  QElapsedTimer timer;
  timer.start();
  Reader reader(sim.port());
  ASSERT_TRUE(waitUntil([&] { return reader.accounted() >= bytes; }, 600000)) << reader.accounted() << " of " << bytes;
  reportRate("flood", bytes, timer);
  korvtest::processQueuedEvents();
  EXPECT_EQ(reader.accounted(), bytes) << "bytes lost or invented";
  EXPECT_EQ(reader.eventsOutOfOrder, 0);
  EXPECT_GT(reader.lastEvent, bytes / 100);
  EXPECT_TRUE(reader.CurrentLine().empty());
  memory.expectBounded("flood of " + std::to_string(bytes) + " bytes");
}

TEST(Flood, EndlessLineIsHandedOnInPiecesWithNothingLost) {
  const int64_t bytes = reltest::heavySize("LINE_BYTES", int64_t(100) << 20, int64_t(16) << 20);
  NskSimProcess sim({"--long-line", QString::number(bytes)});
  ASSERT_TRUE(sim.started());
  reltest::PeakMemory memory;
  QElapsedTimer timer;
  timer.start();
  Reader reader(sim.port());
  ASSERT_TRUE(waitUntil([&] { return reader.collected() >= bytes; }, 600000)) << reader.collected() << " of " << bytes;
  reportRate("endless line", bytes, timer);
  korvtest::processQueuedEvents();
  EXPECT_EQ(reader.collected(), bytes);
  EXPECT_EQ(reader.empty, 0);
  EXPECT_LE(reader.longest, 65536u);
  EXPECT_GE(reader.nonEmpty, bytes / 65536 - 1);
  memory.expectBounded("line of " + std::to_string(bytes) + " bytes");
}

// A modal dialog opened by the handler of the first flood line: chunks that
// arrive meanwhile wait, but only a few, because the session stops reading
// and TCP holds the host back; afterwards every line arrives.
TEST(Flood, NestedLoopKeepsFewChunksWaitingAndLosesNothing) {
  const int64_t bytes = reltest::heavySize("NESTED_FLOOD_BYTES", int64_t(256) << 20, int64_t(32) << 20);
  NskSimProcess sim({"--flood", QString::number(bytes)});
  ASSERT_TRUE(sim.started());
  reltest::PeakMemory memory;
  Reader reader(sim.port());
  int maxPending = 0;
  int64_t accountedInside = -1;
  reader.onFirstLine = [&](const std::string&) {
    QEventLoop modal;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout,
                     [&] { maxPending = std::max(maxPending, reader.PendingChunkCount()); });
    sampler.start(1);
    QTimer::singleShot(1000, &modal, &QEventLoop::quit);
    modal.exec();
    accountedInside = reader.accounted();
  };
  ASSERT_TRUE(waitUntil([&] { return reader.accounted() >= bytes; }, 600000)) << reader.accounted() << " of " << bytes;
  korvtest::processQueuedEvents();
  reltest::figure("chunks waiting at most during a one-second nested loop", std::to_string(maxPending));
  EXPECT_EQ(accountedInside, 0) << "no line is handed on while the handler's dialog is open";
  EXPECT_GE(maxPending, 1) << "the flood went on arriving during the nested loop";
  EXPECT_LE(maxPending, 2) << "the session went on reading while chunks waited";
  EXPECT_EQ(reader.accounted(), bytes);
  EXPECT_EQ(reader.eventsOutOfOrder, 0);
  EXPECT_EQ(reader.PendingChunkCount(), 0);
  memory.expectBounded("flood of " + std::to_string(bytes) + " bytes with a nested loop");
}

// The whole console session gets through a flood before the TACL prompt and
// completes its road.
TEST(Flood, RoadCompletesAfterAFlood) {
  const int64_t bytes = reltest::heavySize("ROAD_FLOOD_BYTES", int64_t(64) << 20, int64_t(8) << 20);
  NskSimProcess sim({"--flood", QString::number(bytes)});
  ASSERT_TRUE(sim.started());
  reltest::PeakMemory memory;
  reltest::Operator op;
  ASSERT_TRUE(op.fullRoad(sim.hostPort(), 300000));
  EXPECT_EQ(op.count(NcpEvent::SystemName), 1u);
  EXPECT_EQ(op.count(NcpEvent::PathmonListed), 3u);
  EXPECT_EQ(op.count(NcpEvent::NcpLoggedOn), 1u);
  EXPECT_EQ(op.count(NcpEvent::ProcessListed), 5u);
  EXPECT_EQ(op.count(NcpEvent::StationListed), 8u);
  EXPECT_EQ(op.count(NcpEvent::LineStatus), 7u);
  memory.expectBounded("road after a flood of " + std::to_string(bytes) + " bytes");
}

// After a line that never ends, the host's "TACL 1> " stands at the end of
// that line instead of alone: the logon waits for its exact prompt (there is
// no time-out) while memory stays bounded, and the next logon works.
TEST(Flood, EndlessLineBeforeTheTaclPromptKeepsTheLogonWaitingWithBoundedMemory) {
  const int64_t bytes = reltest::heavySize("ROAD_LINE_BYTES", int64_t(64) << 20, int64_t(8) << 20);
  reltest::Operator op;
  {
    // The line comes between the echo of TACL and its prompt, so the prompt
    // ends the endless line and never stands on a line of its own.
    NskSimProcess sim({"--long-line", QString::number(bytes), "--flood-on", "TACL"});
    ASSERT_TRUE(sim.started());
    reltest::PeakMemory memory;
    op.session.Logon(sim.hostPort(), "OPS.OPER", "secret1");
    ASSERT_TRUE(waitUntil(
        [&] {
          const std::string& line = op.session.CurrentLine();
          return line.size() >= 8 && line.compare(line.size() - 8, 8, "TACL 1> ") == 0;
        },
        300000));
    EXPECT_EQ(op.session.State(), atsCommand);
    EXPECT_LT(op.session.CurrentLine().size(), 65536u + 8u);
    EXPECT_EQ(sim.commandsReceived(), std::vector<std::string>{"TACL"});
    memory.expectBounded("endless line of " + std::to_string(bytes) + " bytes before the TACL prompt");
  }
  NskSimProcess sound;
  ASSERT_TRUE(sound.started());
  EXPECT_TRUE(op.fullRoad(sound.hostPort()));
}

}  // namespace
