// ncpctl's tree against what the simulator serves (JSON parsed and compared
// with the test's own network file) and against the tree the shared
// state-event handler builds in-process over a MemoryTree for the same host:
// the console and the window follow one set of rules.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <functional>

#include "CtlRun.h"
#include "TestNetwork.h"
#include "ncp/MemoryTree.h"
#include "ncp/NCPStateHandler.h"
#include "ncp/TXPNetObjList.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using ctltest::runCtl;
using ctltest::TestNetwork;
using ctltest::TestObject;
using ctltest::TestPathmon;
using korvtest::NskSimProcess;

namespace {

// "(Started) NAME" for STARTED: what the window shows for a status word.
QString nodeText(const TestObject& o) {
  const QString word = QString::fromStdString(o.status);
  return "(" + word.left(1) + word.mid(1).toLower() + ") " + QString::fromStdString(o.name);
}

void expectNode(const QJsonObject& node, const char* type, const TestObject& o) {
  EXPECT_EQ(node["type"].toString(), type);
  EXPECT_EQ(node["name"].toString().toStdString(), o.name);
  EXPECT_EQ(node["status"].toString().toStdString(), o.status) << o.name;
  EXPECT_EQ(node["text"].toString(), nodeText(o));
}

QJsonObject parseTree(const std::string& out) {
  QJsonParseError error{};
  const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << out;
  return doc.object();
}

// Checks the whole JSON tree against the network, with chosen logged on.
void expectTree(const QJsonObject& root, const TestNetwork& net, const std::string& chosen) {
  EXPECT_EQ(root["type"].toString(), "host");
  EXPECT_EQ(root["name"].toString().toStdString(), net.system);
  EXPECT_TRUE(root["status"].isNull());
  const QJsonArray pathmons = root["children"].toArray();
  ASSERT_EQ(pathmons.size(), static_cast<qsizetype>(net.pathmons.size()));
  for (size_t i = 0; i < net.pathmons.size(); ++i) {
    const TestPathmon& pm = net.pathmons[i];
    const QJsonObject node = pathmons[static_cast<qsizetype>(i)].toObject();
    EXPECT_EQ(node["type"].toString(), "pathmon");
    EXPECT_EQ(node["name"].toString().toStdString(), pm.name);
    EXPECT_TRUE(node["status"].isNull());
    const bool isChosen = pm.name == chosen;
    EXPECT_EQ(node["text"].toString().toStdString(), isChosen ? "(" + pm.name + ")" : pm.name);
    const QJsonArray processes = node["children"].toArray();
    if (!isChosen) {
      EXPECT_TRUE(processes.isEmpty()) << pm.name;
      continue;
    }
    ASSERT_EQ(processes.size(), static_cast<qsizetype>(pm.processes.size()));
    for (size_t p = 0; p < pm.processes.size(); ++p) {
      const QJsonObject process = processes[static_cast<qsizetype>(p)].toObject();
      expectNode(process, "process", pm.processes[p]);
      // Under a process: each of its stations, followed by the station's line.
      std::vector<std::pair<const char*, const TestObject*>> expected;
      for (const auto& s : pm.stations) {
        if (s.process != pm.processes[p].name) continue;
        expected.emplace_back("station", &s);
        expected.emplace_back("line", net.line(pm, s.line));
      }
      const QJsonArray children = process["children"].toArray();
      ASSERT_EQ(children.size(), static_cast<qsizetype>(expected.size())) << pm.processes[p].name;
      for (size_t c = 0; c < expected.size(); ++c) {
        ASSERT_NE(expected[c].second, nullptr);
        expectNode(children[static_cast<qsizetype>(c)].toObject(), expected[c].first, *expected[c].second);
      }
    }
  }
}

// The tree the shared handler builds over a MemoryTree, driven in-process the
// way a front end drives it: the first PATHMON, the full load.
std::string handlerTree(const NskSimProcess& sim) {
  TNCPTelnet session;
  TXPNetObjList registry;
  ncp::MemoryTree tree;
  NCPStateHandler handler(session, registry, tree);
  bool listed = false, loaded = false;
  session.OnNCPState = [&](const std::string& text) {
    handler.NCPState(text);
    if (ncp::parseEvent(text) == ncp::NcpEvent::PathmonsListed) listed = true;
  };
  session.Logon(sim.hostPort(), "OPS.OPER", "secret1");
  if (!korvtest::waitUntil([&] { return listed && session.State() == atsIdle; }, 30000)) return "(no PATHMONs)";
  handler.LogonNCP(registry.Items().front()->Node, "NCPOPER", "secret2");
  loaded = korvtest::waitUntil(
      [&] { return handler.NCPLoggedOn() && session.State() == atsIdle && session.QueueCount() == 0; }, 60000);
  return loaded ? tree.dump() : "(not loaded)";
}

}  // namespace

TEST(NcpctlTree, JsonTreeHoldsEveryObjectOfTheChosenPathmonWithTheSimulatorsStatus) {
  const TestNetwork net = TestNetwork::sample();
  NskSimProcess sim({"--network", net.writeFile()});
  ASSERT_TRUE(sim.started());

  const auto first = runCtl(ctltest::demoArgs(sim) << "--format"
                                                   << "json"
                                                   << "tree");
  ASSERT_EQ(first.exitCode, 0) << first.err;
  expectTree(parseTree(first.out), net, "$PA01");

  const auto second = runCtl(ctltest::demoArgs(sim) << "--pathmon"
                                                    << "$PA02"
                                                    << "--format=json"
                                                    << "tree");
  ASSERT_EQ(second.exitCode, 0) << second.err;
  expectTree(parseTree(second.out), net, "$PA02");

  const auto empty = runCtl(ctltest::demoArgs(sim) << "--pathmon"
                                                   << "$PA03"
                                                   << "--format"
                                                   << "json"
                                                   << "tree");
  ASSERT_EQ(empty.exitCode, 0) << empty.err;
  expectTree(parseTree(empty.out), net, "$PA03");
}

// Hosts that say things a little differently: every object is in the tree, in
// its place, with its status and its whole name. Control characters the host
// puts into a name stand in their columns.
struct HostFormRow {
  const char* name;
  QStringList simArgs;
  void (*change)(TestNetwork& net);
};

void PrintTo(const HostFormRow& row, std::ostream* out) { *out << row.name; }

class NcpctlTreeHostForms : public ::testing::TestWithParam<HostFormRow> {};

TEST_P(NcpctlTreeHostForms, JsonTreeLosesNoObject) {
  TestNetwork net = TestNetwork::sample();
  GetParam().change(net);
  NskSimProcess sim(QStringList{"--network", net.writeFile()} + GetParam().simArgs);
  ASSERT_TRUE(sim.started());
  const auto result = runCtl(ctltest::demoArgs(sim) << "--format"
                                                    << "json"
                                                    << "tree");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  expectTree(parseTree(result.out), net, "$PA01");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NcpctlTreeHostForms,
    ::testing::Values(
        HostFormRow{"PagePromptsWithoutTrailingBlankOrEcho", {"--page", "2", "--bare-pages"}, [](TestNetwork&) {}},
        HostFormRow{"EscapeAndBellInAStationName",
                    {},
                    [](TestNetwork& net) { net.pathmons[0].stations[0].name = "P\x1bX\x07YZ"; }},
        HostFormRow{"TitleSequenceInTheSystemName", {}, [](TestNetwork& net) { net.system = "KO\x1b]0;XX"; }}),
    [](const auto& info) { return std::string(info.param.name); });

// The wait of a page prompt that may be cut short is the operator's to set, on
// every connection of the run: far beyond the time-out, a bare MORE is never
// answered.
TEST(NcpctlTree, PageQuietTimeReachesEveryConnection) {
  NskSimProcess sim(QStringList{"--page", "2", "--bare-more", "--bare-pages"});
  ASSERT_TRUE(sim.started());
  const auto result = runCtl(ctltest::demoArgs(sim) << "--page-quiet-ms"
                                                    << "600000"
                                                    << "--timeout"
                                                    << "2"
                                                    << "tree");
  EXPECT_EQ(result.exitCode, 5) << result.err;
}

TEST(NcpctlTree, TextTreeIsTheTreeTheSharedHandlerBuildsForTheSameHost) {
  // A generated network over many MORE pages, and the demo network with its
  // shared line and every status.
  for (const QStringList& args : {QStringList{"--stations", "300", "--page", "7"}, QStringList{}}) {
    NskSimProcess sim(args);
    ASSERT_TRUE(sim.started());
    const auto result = runCtl(ctltest::demoArgs(sim) << "tree");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, handlerTree(sim)) << args.join(' ').toStdString();
  }
}

TEST(NcpctlTree, PathmonsListsTheHostsPathmonsInOrderWithoutAnNcpLogon) {
  const TestNetwork net = TestNetwork::sample();
  NskSimProcess sim({"--network", net.writeFile()});
  ASSERT_TRUE(sim.started());
  // Only the TACL password: the NCP one is never needed.
  const auto result = runCtl(ctltest::demoArgs(sim) << "pathmons", "secret1\n");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::string expected;
  for (const auto& pm : net.pathmons) expected += pm.name + "\n";
  EXPECT_EQ(result.out, expected);
  for (const auto& command : sim.commandsReceived()) {
    EXPECT_EQ(command.find("NCPCOM"), std::string::npos) << command;
  }
  // The TACL session is left with LOGOUT, not dropped.
  // ncpctl may end before the host has read its last line.
  EXPECT_TRUE(korvtest::waitUntil([&] {
    const auto received = sim.commandsReceived();
    return !received.empty() && received.back() == "LOGOUT";
  }));

  const auto json = runCtl(ctltest::demoArgs(sim) << "--format"
                                                  << "json"
                                                  << "pathmons",
                           "secret1\n");
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const QJsonObject root = parseTree(json.out);
  EXPECT_EQ(root["name"].toString().toStdString(), net.system);
  const QJsonArray pathmons = root["children"].toArray();
  ASSERT_EQ(pathmons.size(), static_cast<qsizetype>(net.pathmons.size()));
  for (size_t i = 0; i < net.pathmons.size(); ++i) {
    EXPECT_EQ(pathmons[static_cast<qsizetype>(i)].toObject()["name"].toString().toStdString(), net.pathmons[i].name);
  }
}

// A host that lists more objects than --max-objects (here a network far
// larger than the limit, as an endless listing would be): the load stops at
// the limit, the tree loaded so far is printed, one sentence says why, the
// connection is closed (nothing more is asked) and the exit code is 8.
TEST(NcpctlTree, LoadStopsAtTheObjectLimitAndPrintsWhatWasLoaded) {
  NskSimProcess sim({"--stations", "200", "--page", "0"});
  ASSERT_TRUE(sim.started());
  // One connection: its chain of listings is what must not go on.
  const auto r = runCtl(ctltest::demoArgs(sim) << "--connections"
                                               << "1"
                                               << "--max-objects"
                                               << "100"
                                               << "--format"
                                               << "json"
                                               << "tree");
  EXPECT_EQ(r.exitCode, 8) << r.err;
  EXPECT_EQ(r.err,
            "ncpctl: the host listed more than 100 objects; the load stopped there and the connection was "
            "closed\n");
  size_t objects = 0;
  std::function<void(const QJsonObject&)> count = [&](const QJsonObject& node) {
    for (const auto& child : node["children"].toArray()) {
      ++objects;
      count(child.toObject());
    }
  };
  count(parseTree(r.out));
  // A station comes with its line: the last pair that fits may leave one place.
  EXPECT_GE(objects, 99u);
  EXPECT_LE(objects, 100u);
  const auto sent = sim.commandsReceived();
  EXPECT_EQ(std::find(sent.begin(), sent.end(), "STATUS STATION *"), sent.end()) << "the listing was not left";
}
