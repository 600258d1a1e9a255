// START, STOP and DELIVER against the shared network of the simulator: what
// one command changes shows in the next status query, on every connection.
#include <gtest/gtest.h>

#include <map>

#include "SimDialogue.h"
#include "support/NskSimProcess.h"

using namespace simtest;

namespace {

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Name (third part of the qualified name) -> status word, as the console reads it.
std::map<std::string, std::string> statusOf(RawTelnetClient& client, const std::string& command) {
  std::map<std::string, std::string> out;
  for (const std::string& line : objectLines(ncp(client, command))) {
    const std::string qualified = trimmed(col(line, 4, 38));
    out[qualified.substr(qualified.rfind('.') + 1)] = trimmed(col(line, 47, 55));
  }
  return out;
}

std::string firstWithStatus(const std::map<std::string, std::string>& objects, const std::string& status) {
  for (const auto& [name, s] : objects) {
    if (s == status) return name;
  }
  return {};
}

}  // namespace

TEST(NskSimControl, StartAndStopChangeWhatTheNextStatusShows) {
  korvtest::NskSimProcess sim({"--page", "0"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_TRUE(ncpLogon(client));
  for (const std::string& kind : std::vector<std::string>{"PROCESS", "STATION", "LINE"}) {
    SCOPED_TRACE(kind);
    const auto before = statusOf(client, "STATUS " + kind + " *");
    const std::string stopped = firstWithStatus(before, "STOPPED");
    const std::string started = firstWithStatus(before, "STARTED");
    ASSERT_FALSE(stopped.empty());
    ASSERT_FALSE(started.empty());

    const std::string answer = ncp(client, "START " + kind + " " + stopped);
    EXPECT_GE(lines(answer).size(), 3u) << "an acknowledgement between echo and prompt";
    EXPECT_EQ(statusOf(client, "STATUS " + kind + " " + stopped)[stopped], "STARTED");
    ncp(client, "STOP " + kind + " " + started);
    const auto after = statusOf(client, "STATUS " + kind + " *");
    EXPECT_EQ(after.at(stopped), "STARTED");
    EXPECT_EQ(after.at(started), "STOPPED");
    // Nothing else changed.
    for (const auto& [name, status] : before) {
      if (name != stopped && name != started) {
        EXPECT_EQ(after.at(name), status) << name;
      }
    }
  }
}

TEST(NskSimControl, StatusesAreSharedByAllConnectionsAndStartingStaysStarting) {
  korvtest::NskSimProcess sim({"--page", "0"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient first(sim.port());
  RawTelnetClient second(sim.port());
  ASSERT_TRUE(ncpLogon(first));
  ASSERT_TRUE(ncpLogon(second));
  const auto lines1 = statusOf(first, "STATUS LINE *");
  const std::string starting = firstWithStatus(lines1, "STARTING");
  const std::string started = firstWithStatus(lines1, "STARTED");
  ASSERT_FALSE(starting.empty());
  ncp(first, "STOP LINE " + started);
  const auto lines2 = statusOf(second, "STATUS LINE *");
  EXPECT_EQ(lines2.at(started), "STOPPED");
  // Only START moves an object on from STARTING.
  EXPECT_EQ(lines2.at(starting), "STARTING");
  EXPECT_EQ(statusOf(first, "STATUS LINE " + starting).at(starting), "STARTING");
}

TEST(NskSimControl, DeliverIsAcknowledgedForKnownProcessesOnly) {
  korvtest::NskSimProcess sim({"--page", "0"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_TRUE(ncpLogon(client));
  const std::string prompt = lines(ncp(client, "")).back();
  for (const std::string& text : std::vector<std::string>{"/LOGON ALL/", "\"PIN KEY CHANGE B\"", "/9501****/"}) {
    const std::vector<std::string> ack = lines(ncp(client, "DELIVER PROCESS TCPIP1, " + text));
    ASSERT_EQ(ack.size(), 3u);
    EXPECT_EQ(ack[0], "DELIVER PROCESS TCPIP1, " + text);
    EXPECT_NE(ack[1].find(text), std::string::npos) << ack[1];
    EXPECT_EQ(ack[2], prompt);
  }
  const std::vector<std::string> unknown = lines(ncp(client, "DELIVER PROCESS NOSUCH, /LOGON ALL/"));
  ASSERT_EQ(unknown.size(), 3u);
  EXPECT_EQ(unknown[1].find("/LOGON ALL/"), std::string::npos) << unknown[1];
}
