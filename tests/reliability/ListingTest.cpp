// Listings as a hostile or huge host sends them: telnet commands and NUL
// bytes sprinkled into every answer, the host writing in small pieces, lines
// cut short anywhere, and a listing of a million lines. The same objects come
// out as from a clean host, short lines are read without touching anything
// past their end (the sanitizer build checks), and a million lines are read
// one for one.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <optional>

#include "Measure.h"
#include "Operator.h"
#include "ncp/NcpParsing.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;
using korvtest::waitUntil;
using ncp::NcpEvent;

namespace {

struct RoadResult {
  std::vector<std::string> events;
  std::string tree;
};

RoadResult road(const QStringList& args) {
  NskSimProcess sim(args);
  EXPECT_TRUE(sim.started());
  reltest::Operator op;
  EXPECT_TRUE(op.fullRoad(sim.hostPort(), 120000));
  // The whole status once more, as Refresh All asks for it.
  const size_t before = op.events.size();
  op.session.StatusAll();
  EXPECT_TRUE(waitUntil([&] { return op.session.StatusAllStep() == 3 && op.idle(); }, 60000));
  EXPECT_GT(op.events.size(), before);
  return {op.events, op.tree.dump()};
}

TEST(HostileListings, SprinkledTelnetCommandsAndNulsGiveTheSameObjects) {
  const RoadResult clean = road({"--page", "4"});
  ASSERT_FALSE(clean.events.empty());
  for (const QStringList& args :
       {QStringList{"--page", "4", "--sprinkle"}, QStringList{"--page", "4", "--sprinkle", "--chunk", "5"},
        QStringList{"--page", "0", "--sprinkle", "--chunk", "1"}}) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const RoadResult hostile = road(args);
    EXPECT_EQ(hostile.events, clean.events);
    EXPECT_EQ(hostile.tree, clean.tree);
  }
}

// Every line the host sent in a real road, cut at every length, given to the
// completion handlers that read them by column: no access past the end, and
// a cut line never makes an object of a name it does not hold in full.
TEST(HostileListings, LinesCutAtEveryLengthAreReadSafely) {
  NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  reltest::Operator op;
  std::vector<std::string> lines;
  op.session.OnDebug = [&](TTnCnx*, const std::string& text) {
    const size_t arrow = text.find("->");
    if (arrow != std::string::npos) lines.push_back(text.substr(arrow + 2));
  };
  ASSERT_TRUE(op.fullRoad(sim.hostPort()));
  op.session.StatusLine("*");
  op.session.StatusStation("*");
  op.session.StatusProcess("*");
  ASSERT_TRUE(waitUntil([&] { return op.idle(); }));
  ASSERT_GT(lines.size(), 20u);

  op.session.OnDebug = nullptr;
  const std::string treeBefore = op.tree.dump();
  const size_t eventsBefore = op.events.size();
  size_t cut = 0;
  for (const std::string& line : lines) {
    for (size_t n = 0; n <= line.size(); ++n, ++cut) {
      const std::string part = line.substr(0, n);
      op.session.EvStatusLine(&op.session, part, atsCommand);
      op.session.EvStatusStation(&op.session, part, atsCommand);
      op.session.EvStatusProcess(&op.session, part, atsCommandEnd);
      op.session.EvNCPLogin(&op.session, part, atsCommand);
    }
  }
  EXPECT_GT(cut, 1000u);
  EXPECT_GT(op.events.size(), eventsBefore);
  // Statuses never add objects: the tree holds the same nodes (texts may
  // carry other statuses).
  size_t nodesBefore = std::count(treeBefore.begin(), treeBefore.end(), '\n');
  const std::string treeAfter = op.tree.dump();
  EXPECT_EQ(static_cast<size_t>(std::count(treeAfter.begin(), treeAfter.end(), '\n')), nodesBefore);
  for (size_t i = eventsBefore; i < op.events.size(); ++i) {
    const auto name = ncp::objectName(op.events[i]);
    if (name && !name->empty()) {
      EXPECT_NE(op.events[i].find(*name), std::string::npos);
    }
  }
}

// A PATHMON of a million lines: the listing is read line for line, every
// object line raising its event, in one command.
TEST(LongListings, MillionLineListingIsReadLineForLine) {
  const int64_t stations = reltest::heavySize("LISTING_LINES", 1000000, 100000);
  NskSimProcess sim({"--stations", QString::number(stations), "--page", "0"});
  ASSERT_TRUE(sim.started());
  TNCPTelnet session;
  std::vector<std::optional<NcpEvent>> firstEvents;
  int64_t lineEvents = 0;
  std::string firstLine, lastLine;
  session.OnNCPState = [&](const std::string& text) {
    const auto event = ncp::parseEvent(text);
    if (event == NcpEvent::LineStatus) {
      if (lineEvents++ == 0) firstLine = text;
      lastLine = text;
    } else {
      firstEvents.push_back(event);
    }
  };
  session.Logon(sim.hostPort(), "OPS.OPER", "secret1");
  ASSERT_TRUE(waitUntil([&] { return !firstEvents.empty() && firstEvents.back() == NcpEvent::TaclLoggedOn; }, 60000));
  session.LogonNCP("$PM01", "NCPOPER", "secret2");
  ASSERT_TRUE(
      waitUntil([&] { return firstEvents.back() == NcpEvent::NcpLoggedOn && session.State() == atsIdle; }, 60000));

  QElapsedTimer timer;
  timer.start();
  session.StatusLine("*");
  ASSERT_TRUE(waitUntil([&] { return lineEvents >= stations && session.State() == atsIdle; }, 600000))
      << lineEvents << " of " << stations;
  reltest::figure("listing of " + std::to_string(stations) + " lines", std::to_string(timer.elapsed()) + " ms");
  EXPECT_EQ(lineEvents, stations);
  EXPECT_EQ(ncp::objectName(firstLine).value_or(""), "L000001");
  char last[16];
  std::snprintf(last, sizeof last, "L%06lld", static_cast<long long>(stations));
  EXPECT_EQ(ncp::objectName(lastLine).value_or(""), last);
  EXPECT_EQ(session.QueueCount(), 0);
}

}  // namespace
