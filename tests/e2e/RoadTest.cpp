// The whole road against the host simulator: TACL logon, PATHMON listing,
// NCP logon and the object load, checked by the events raised and by the
// command lines the simulator received; the same road with MORE pages of
// several sizes, with the host writing byte by byte or in small timed pieces,
// and a second time on a new connection in the same process.
#include <gtest/gtest.h>

#include <set>

#include "Console.h"
#include "ncp/NcpParsing.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;

namespace {

std::vector<std::string> nonEmpty(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& l : lines)
    if (!l.empty()) out.push_back(l);
  return out;
}

size_t emptyCount(const std::vector<std::string>& lines) {
  size_t n = 0;
  for (const auto& l : lines) n += l.empty() ? 1 : 0;
  return n;
}

std::set<std::string> names(const std::vector<std::string>& eventTexts) {
  std::set<std::string> out;
  for (const auto& e : eventTexts) {
    const auto name = ncp::objectName(e);
    EXPECT_TRUE(name.has_value()) << e;
    if (name) out.insert(*name);
  }
  return out;
}

// Runs the road on a fresh simulator started with args; returns the events.
std::vector<std::string> road(const QStringList& args, std::vector<std::string>* commands = nullptr) {
  NskSimProcess sim(args);
  EXPECT_TRUE(sim.started());
  if (!sim.started()) return {};
  Console console;
  EXPECT_TRUE(console.logonTacl(sim.hostPort(), "OPS.OPER", "secret1", 60000));
  const auto pathmons = console.pathmons();
  EXPECT_FALSE(pathmons.empty());
  if (pathmons.empty()) return console.events;
  EXPECT_TRUE(console.logonNcp(pathmons.front(), "secret2", 60000));
  if (commands) *commands = sim.commandsReceived();
  return console.events;
}

}  // namespace

TEST(Road, CompleteRoadRaisesEveryStageInOrderAndSendsExactlyTheDialogue) {
  NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  Console console;
  ASSERT_TRUE(console.logonTacl(sim.hostPort(), "OPS.OPER", "secret1"));
  const auto pathmons = console.pathmons();
  ASSERT_FALSE(pathmons.empty());
  ASSERT_TRUE(console.logonNcp(pathmons.front(), "secret2"));

  EXPECT_EQ(console.codeRuns(),
            (std::vector<std::string>{"003", "002", "004", "008", "006", "005", "009", "010", "011"}));
  ASSERT_FALSE(console.events.empty());
  EXPECT_EQ(console.events[0].substr(0, 4), "003\\");
  EXPECT_FALSE(ncp::trim(ncp::hostName(console.events[0])).empty());
  EXPECT_TRUE(console.session.Authorized());
  EXPECT_TRUE(console.session.NCPStarted());
  EXPECT_TRUE(console.session.NCPAuthorized());

  const std::vector<std::string> expected{"TACL",
                                          "logon OPS.OPER",
                                          "secret1",
                                          "SETPROMPT SUBVOL",
                                          "#mysystem",
                                          "STATUS *, PROG $*.*.PATHMON",
                                          "NCPCOM " + pathmons.front(),
                                          "SET USER NCPOPER",
                                          "secret2",
                                          "STATUS PROCESS *",
                                          "INFO STATION *",
                                          "STATUS STATION *",
                                          "STATUS LINE *"};
  EXPECT_EQ(nonEmpty(sim.commandsReceived()), expected);

  // Every station of the INFO listing has its status, its line and its process.
  const auto stations = console.withCode("009");
  ASSERT_FALSE(stations.empty());
  const auto processNames = names(console.withCode("005"));
  const auto stationNames = names(console.withCode("010"));
  const auto lineNames = names(console.withCode("011"));
  EXPECT_EQ(names(stations), stationNames);
  for (const auto& s : stations) {
    EXPECT_TRUE(lineNames.count(ncp::stationLineName(s))) << s;
    EXPECT_TRUE(processNames.count(ncp::stationProcessName(s))) << s;
  }
}

TEST(Road, MorePagesOfAnySizeGiveTheSameEvents) {
  std::vector<std::string> commands;
  const auto reference = road({"--page", "0"}, &commands);
  ASSERT_FALSE(reference.empty());
  EXPECT_EQ(emptyCount(commands), 0u) << "without pages no page prompt is answered";
  for (const char* page : {"1", "5"}) {
    SCOPED_TRACE(page);
    EXPECT_EQ(road({"--page", page}, &commands), reference);
    EXPECT_GT(emptyCount(commands), 0u) << "page prompts were answered";
  }
}

TEST(Road, HostWritingByteByByteGivesTheSameEvents) {
  const auto reference = road({});
  ASSERT_FALSE(reference.empty());
  EXPECT_EQ(road({"--chunk", "1"}), reference);
  EXPECT_EQ(road({"--chunk", "1", "--page", "3"}), reference);
  // With a pause between pieces every piece is a chunk of its own: the
  // service menu's prompt, the echoes and the prompts all arrive cut up.
  EXPECT_EQ(road({"--chunk", "5", "--chunk-delay-ms", "1"}), reference);
}

TEST(Road, SecondConnectionInTheSameProcessLoadsEverythingAgain) {
  NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  Console console;
  ASSERT_TRUE(console.logonTacl(sim.hostPort(), "OPS.OPER", "secret1"));
  ASSERT_TRUE(console.logonNcp(console.pathmons().front(), "secret2"));
  const std::vector<std::string> first = console.events;

  // The owner's disconnect: leave NCPCOM, log out; the host closes.
  console.session.ExitNCP();
  console.session.Logout();
  ASSERT_TRUE(korvtest::waitUntil([&] { return console.closedByHost; }));

  const size_t from = console.events.size();
  ASSERT_TRUE(console.logonTacl(sim.hostPort(), "OPS.OPER", "secret1"));
  ASSERT_TRUE(console.logonNcp(console.pathmons().front(), "secret2"));
  const std::vector<std::string> second(console.events.begin() + static_cast<long>(from), console.events.end());
  EXPECT_EQ(second, first);

  // And once more while the connection is still open.
  const size_t again = console.events.size();
  ASSERT_TRUE(console.logonTacl(sim.hostPort(), "OPS.OPER", "secret1"));
  ASSERT_TRUE(console.logonNcp(console.pathmons().front(), "secret2"));
  const std::vector<std::string> third(console.events.begin() + static_cast<long>(again), console.events.end());
  EXPECT_EQ(third, first);
}
