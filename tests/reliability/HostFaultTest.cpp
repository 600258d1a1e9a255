// The host ends the connection (orderly close or reset) at every step of the
// road, or stops answering in the middle of a command, or cannot be reached
// at all: the session ends cleanly (OnSessionClosed once, the tree emptied
// by the shared handler, nothing sent afterwards) and the same session object
// then runs a complete road on a sound host.
#include <gtest/gtest.h>

#include <QTcpServer>
#include <cctype>

#include "Operator.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"
#include "transport/TWSocket.h"

using korvtest::NskSimProcess;
using korvtest::spin;
using korvtest::waitUntil;
using ncp::NcpEvent;

namespace {

struct Fault {
  std::string name;
  QStringList args;
  // The last command line the host received before it ended the connection,
  // page answers (empty lines) aside; empty: nothing was received; null: the
  // console may or may not have answered the last text before the end.
  const char* lastCommand;
};

std::ostream& operator<<(std::ostream& os, const Fault& f) { return os << f.name; }

// Runs the road as far as the host lets it: TACL logon, then the NCP logon
// and the load once the PATHMONs are listed.
void roadUntilClosed(reltest::Operator& op, const std::string& hostPort) {
  op.session.Logon(hostPort, "OPS.OPER", "secret1");
  ASSERT_TRUE(waitUntil([&] { return op.closes > 0 || (op.seen(NcpEvent::PathmonsListed) && op.idle()); }));
  if (op.closes == 0) {
    op.handler.LogonNCP(op.pathmonNode("$PM01"), "NCPOPER", "secret2");
    ASSERT_TRUE(waitUntil([&] { return op.closes > 0; }, 20000)) << "the host never ended the connection";
  }
}

class HostEndsConnection : public ::testing::TestWithParam<Fault> {};

TEST_P(HostEndsConnection, SessionEndsOnceAndTheNextLogonRunsTheWholeRoad) {
  const Fault& fault = GetParam();
  reltest::Operator op;
  {
    NskSimProcess sim(fault.args);
    ASSERT_TRUE(sim.started());
    roadUntilClosed(op, sim.hostPort());
    korvtest::processQueuedEvents();
    EXPECT_EQ(op.closes, 1);
    EXPECT_FALSE(op.session.IsConnected());
    EXPECT_EQ(op.tree.size(), 0u) << op.tree.dump();
    EXPECT_EQ(op.handler.HostNode(), nullptr);
    EXPECT_FALSE(op.handler.NCPLoggedOn());
    const auto commands = sim.commandsReceived();
    std::string last;
    for (const auto& c : commands)
      if (!c.empty()) last = c;
    if (fault.lastCommand != nullptr && fault.lastCommand[0] == '\0') {
      EXPECT_TRUE(commands.empty());
    } else if (fault.lastCommand != nullptr) {
      EXPECT_EQ(last.rfind(fault.lastCommand, 0), 0u) << last;
    }
    // Operations on the closed session raise nothing and send nothing.
    const size_t eventsBefore = op.events.size();
    op.session.StatusAll();
    op.handler.Disconnect();
    korvtest::processQueuedEvents();
    EXPECT_EQ(op.closes, 1);
    EXPECT_EQ(op.events.size(), eventsBefore);
    EXPECT_EQ(sim.commandsReceived().size(), commands.size());
  }

  NskSimProcess sound;
  ASSERT_TRUE(sound.started());
  const size_t from = op.events.size();
  ASSERT_TRUE(op.fullRoad(sound.hostPort())) << "the next logon did not complete";
  EXPECT_EQ(op.count(NcpEvent::SystemName, from), 1u);
  EXPECT_EQ(op.count(NcpEvent::PathmonListed, from), 3u);
  EXPECT_EQ(op.count(NcpEvent::NcpLoggedOn, from), 1u);
  EXPECT_EQ(op.count(NcpEvent::ProcessListed, from), 5u);
  EXPECT_EQ(op.count(NcpEvent::LineStatus, from), 7u);
  EXPECT_EQ(op.closes, 1);
  EXPECT_TRUE(op.idle());
  const auto commands = sound.commandsReceived();
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(commands[0], "TACL") << "the first line of the new connection is the menu choice";
}

std::vector<Fault> faults() {
  struct Step {
    const char* trigger;
    QStringList extra;
    const char* lastCommand;
  };
  const std::vector<Step> steps = {
      {"banner", {}, ""},
      {"menu", {}, ""},
      {"iac", {}, nullptr},
      {"sb", {}, nullptr},
      {"TACL", {}, "TACL"},
      {"logon", {}, "logon"},
      {"secret1", {}, "secret1"},
      {"SETPROMPT", {}, "SETPROMPT"},
      {"#mysystem", {}, "#mysystem"},
      {"STATUS *", {}, "STATUS *"},
      {"NCPCOM", {}, "NCPCOM"},
      {"SET USER", {}, "SET USER"},
      {"secret2", {}, "secret2"},
      {"STATUS PROCESS", {}, "STATUS PROCESS"},
      {"listing", {}, "STATUS PROCESS"},
      {"more", {"--page", "2"}, "STATUS PROCESS"},
      {"INFO STATION", {}, "INFO STATION"},
  };
  std::vector<Fault> out;
  for (const char* how : {"close", "reset"}) {
    for (const Step& s : steps) {
      // A reset after the menu follows the text a moment later: the console may have answered it.
      const char* last = std::string(how) == "reset" && std::string(s.trigger) == "menu" ? nullptr : s.lastCommand;
      QStringList args = {QString("--%1-on").arg(how), s.trigger};
      args += s.extra;
      std::string name = std::string(how) + "_";
      for (const char* c = s.trigger; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
      out.push_back({name, args, last});
    }
  }
  return out;
}

INSTANTIATE_TEST_SUITE_P(EveryStep, HostEndsConnection, ::testing::ValuesIn(faults()),
                         [](const auto& info) { return info.param.name; });

// The host stops answering in the middle of a command: the session waits (no
// time-out), Disconnect still ends the connection, and a later Connect runs
// the whole road.
class HostFallsSilent : public ::testing::TestWithParam<const char*> {};

TEST_P(HostFallsSilent, DisconnectEndsTheConnectionAndALaterConnectWorks) {
  reltest::Operator op;
  NskSimProcess sim({"--silent-on", GetParam()});
  ASSERT_TRUE(sim.started());
  const auto silentCommandSent = [&] {
    const auto c = sim.commandsReceived();
    return !c.empty() && c.back().rfind(GetParam(), 0) == 0;
  };
  // Each stage ends either complete or at the command the host leaves unanswered.
  op.session.Logon(sim.hostPort(), "OPS.OPER", "secret1");
  ASSERT_TRUE(waitUntil([&] { return silentCommandSent() || (op.seen(NcpEvent::PathmonsListed) && op.idle()); }));
  if (!silentCommandSent()) {
    op.handler.LogonNCP(op.pathmonNode("$PM01"), "NCPOPER", "secret2");
    ASSERT_TRUE(waitUntil([&] { return silentCommandSent() || (op.session.NetObjectsStep() == 4 && op.idle()); }));
    if (!silentCommandSent()) op.session.StatusAll();
  }
  ASSERT_TRUE(waitUntil(silentCommandSent));
  // No event can show that a time-out did not fire: the session is given this
  // long to give up on the silent command, and must not.
  spin(300);
  EXPECT_EQ(op.session.State(), atsCommand) << "the silent command is still running";
  EXPECT_TRUE(op.session.IsConnected());

  op.handler.Disconnect();
  EXPECT_EQ(op.tree.size(), 0u);
  EXPECT_TRUE(waitUntil([&] { return !op.session.IsConnected(); }, 5000))
      << "Disconnect left the connection to the silent host open";

  const size_t from = op.events.size();
  NskSimProcess sound;
  ASSERT_TRUE(sound.started());
  ASSERT_TRUE(op.fullRoad(sound.hostPort()));
  EXPECT_EQ(op.count(NcpEvent::NcpLoggedOn, from), 1u);
  EXPECT_GT(op.objectNodes(), 0u);
}

INSTANTIATE_TEST_SUITE_P(MidCommand, HostFallsSilent,
                         ::testing::Values("logon", "#mysystem", "STATUS *", "SET USER", "STATUS LINE"),
                         [](const auto& info) {
                           std::string name;
                           for (const char* c = info.param; *c; ++c)
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                           return name;
                         });

// Hosts that cannot be reached give one clear outcome each.
TEST(Unreachable, RefusedPortGivesOneConnectErrorThenOneClose) {
  // A port that was just listened on and freed: nobody listens there now.
  quint16 port = 0;
  {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    port = probe.serverPort();
  }
  reltest::Operator op;
  std::vector<uint16_t> connected;
  op.session.OnSessionConnected = [&](TTnCnx*, uint16_t error) { connected.push_back(error); };
  op.session.Logon("127.0.0.1:" + std::to_string(port), "OPS.OPER", "secret1");
  ASSERT_TRUE(waitUntil([&] { return op.closes > 0; }));
  korvtest::processQueuedEvents();
  ASSERT_EQ(connected.size(), 1u);
  EXPECT_NE(connected[0], 0) << "a refused connection is reported as an error";
  EXPECT_EQ(op.closes, 1);
  EXPECT_TRUE(op.events.empty());
  EXPECT_FALSE(op.session.IsConnected());
}

TEST(Unreachable, UnknownHostNameThrowsAtLogonAndRaisesNothing) {
  reltest::Operator op;
  EXPECT_THROW(op.session.Logon("no-such-host.invalid", "OPS.OPER", "secret1"), ESocketException);
  korvtest::processQueuedEvents();
  EXPECT_EQ(op.closes, 0);
  EXPECT_TRUE(op.events.empty());
  EXPECT_FALSE(op.session.IsConnected());
  // The session is still usable.
  NskSimProcess sound;
  ASSERT_TRUE(sound.started());
  EXPECT_TRUE(op.fullRoad(sound.hostPort()));
}

}  // namespace
