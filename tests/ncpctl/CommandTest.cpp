// ncpctl's commands and exit codes against the simulator: status, start and
// stop of every entry of a name, the DELIVER messages, and each way a run can
// fail, each with its own exit code and one sentence on standard error.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <algorithm>

#include "CtlRun.h"
#include "TestNetwork.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using ctltest::CtlResult;
using ctltest::demoArgs;
using ctltest::runCtl;
using ctltest::TestNetwork;
using korvtest::NskSimProcess;

namespace {

size_t countOf(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

// The command lines after the last one equal to from.
std::vector<std::string> after(const std::vector<std::string>& lines, const std::string& from) {
  const auto it = std::find(lines.rbegin(), lines.rend(), from);
  if (it == lines.rend()) return {};
  return {it.base(), lines.end()};
}

void expectOneSentence(const CtlResult& r) {
  EXPECT_TRUE(r.finished);
  EXPECT_EQ(r.err.rfind("ncpctl: ", 0), 0u) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_TRUE(r.out.empty()) << r.out;
}

}  // namespace

TEST(NcpctlCommand, StatusPrintsEveryEntryOfThatNameAndTypeOnly) {
  NskSimProcess sim({"--network", TestNetwork::sample().writeFile()});
  ASSERT_TRUE(sim.started());

  // LA1 is shared by two stations: two entries, both shown.
  const auto line = runCtl(demoArgs(sim) << "status"
                                         << "line"
                                         << "LA1");
  ASSERT_EQ(line.exitCode, 0) << line.err;
  EXPECT_EQ(line.out, "(Started) LA1\n(Started) LA1\n");
  // ncpctl may end before the host has read its last line.
  EXPECT_TRUE(korvtest::waitUntil([&] {
    const auto received = sim.commandsReceived();
    return !received.empty() && received.back() == "LOGOUT";
  }));
  EXPECT_EQ(countOf(sim.commandsReceived(), "STATUS LINE LA1"), 1u);

  const auto json = runCtl(demoArgs(sim) << "--format"
                                         << "json"
                                         << "status"
                                         << "station"
                                         << "SB1");
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const QJsonArray nodes = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).array();
  ASSERT_EQ(nodes.size(), 1);
  EXPECT_EQ(nodes[0].toObject()["type"].toString(), "station");
  EXPECT_EQ(nodes[0].toObject()["name"].toString(), "SB1");
  EXPECT_EQ(nodes[0].toObject()["status"].toString(), "ABNORMAL");

  // A process shows with its stations and lines, as in the tree.
  const auto process = runCtl(demoArgs(sim) << "status"
                                            << "process"
                                            << "PROCB");
  ASSERT_EQ(process.exitCode, 0) << process.err;
  EXPECT_EQ(process.out, "(Stopped) PROCB\n  (Abnormal) SB1\n  (Starting) LB1\n");
}

TEST(NcpctlCommand, StopAndStartSendTheCommandThenShowTheStatusTheHostReports) {
  NskSimProcess sim({"--network", TestNetwork::sample().writeFile()});
  ASSERT_TRUE(sim.started());

  // One connection: what follows the load on it is the command.
  const auto stop = runCtl(demoArgs(sim) << "--connections"
                                         << "1"
                                         << "stop"
                                         << "line"
                                         << "LA1");
  ASSERT_EQ(stop.exitCode, 0) << stop.err;
  EXPECT_EQ(stop.out, "(Stopped) LA1\n(Stopped) LA1\n");
  const auto afterStop = after(sim.commandsReceived(), "STATUS LINE *");
  ASSERT_GE(afterStop.size(), 2u);
  EXPECT_EQ(afterStop[0], "STOP LINE LA1");
  EXPECT_EQ(afterStop[1], "STATUS LINE LA1");

  // A new connection sees the host's new state.
  EXPECT_EQ(runCtl(demoArgs(sim) << "status"
                                 << "line"
                                 << "LA1")
                .out,
            "(Stopped) LA1\n(Stopped) LA1\n");

  const auto start = runCtl(demoArgs(sim) << "--connections"
                                          << "1"
                                          << "--format"
                                          << "json"
                                          << "start"
                                          << "process"
                                          << "PROCB");
  ASSERT_EQ(start.exitCode, 0) << start.err;
  const QJsonArray nodes = QJsonDocument::fromJson(QByteArray::fromStdString(start.out)).array();
  ASSERT_EQ(nodes.size(), 1);
  EXPECT_EQ(nodes[0].toObject()["status"].toString(), "STARTED");
  EXPECT_EQ(nodes[0].toObject()["text"].toString(), "(Started) PROCB");
  const auto afterStart = after(sim.commandsReceived(), "STATUS LINE *");
  ASSERT_GE(afterStart.size(), 2u);
  EXPECT_EQ(afterStart[0], "START PROCESS PROCB");
  EXPECT_EQ(afterStart[1], "STATUS PROCESS PROCB");
}

TEST(NcpctlCommand, DeliverCommandsSendTheirMessageAndPrintTheHostsAnswer) {
  NskSimProcess sim({"--network", TestNetwork::sample().writeFile()});
  ASSERT_TRUE(sim.started());
  const std::vector<std::pair<QString, std::string>> rows = {
      {"signon", "DELIVER PROCESS PROCA, /LOGON ALL/"},
      {"keychange", "DELIVER PROCESS PROCA, \"PIN KEY CHANGE B\""},
      {"warmboot", "DELIVER PROCESS PROCA, /9501****/"}};
  for (const auto& [command, sent] : rows) {
    const auto text = runCtl(demoArgs(sim) << "--connections"
                                           << "1" << command << "PROCA");
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(after(sim.commandsReceived(), "STATUS LINE *").front(), sent);
    // The answer, without the prompt that ends it.
    EXPECT_NE(text.out.find("PROCA"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find(" > "), std::string::npos) << text.out;

    const auto json = runCtl(demoArgs(sim) << "--format"
                                           << "json" << command << "PROCA");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const QJsonObject answer = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_EQ(answer["process"].toString(), "PROCA");
    EXPECT_EQ(answer["message"].toString(), command);
    QString joined;
    for (const auto& line : answer["answer"].toArray()) joined += line.toString() + "\n";
    EXPECT_EQ(joined.toStdString(), text.out);
  }
}

TEST(NcpctlCommand, ACommandTheHostRefusesExits9WithTheHostsErrorLine) {
  NskSimProcess sim({"--network", TestNetwork::sample().writeFile(), "--refuse", "PROCA", "--refuse", "LA1"});
  ASSERT_TRUE(sim.started());
  const std::vector<std::pair<QStringList, std::string>> rows = {
      {{"start", "process", "PROCA"}, "*** ERROR: PROCESS \\TESTSYS.$PA01.PROCA CANNOT BE STARTED, FILE ERROR 11"},
      {{"stop", "line", "LA1"}, "*** ERROR: LINE \\TESTSYS.$PA01.LA1 CANNOT BE STOPPED, FILE ERROR 11"},
      {{"signon", "PROCA"}, "*** ERROR: MESSAGE CANNOT BE DELIVERED TO PROCESS \\TESTSYS.$PA01.PROCA, FILE ERROR 11"}};
  for (const auto& [command, hostLine] : rows) {
    const auto r = runCtl(demoArgs(sim) << command);
    EXPECT_EQ(r.exitCode, 9) << command.join(' ').toStdString();
    expectOneSentence(r);
    EXPECT_NE(r.err.find(hostLine), std::string::npos) << r.err;
  }
}

TEST(NcpctlCommand, AnObjectThatIsNotThereExits6AndNothingIsSentForIt) {
  NskSimProcess sim({"--network", TestNetwork::sample().writeFile()});
  ASSERT_TRUE(sim.started());
  const std::vector<QStringList> rows = {{"status", "line", "NOPE"},
                                         {"start", "station", "NOPE"},
                                         {"stop", "line", "SA1"},    // a station's name, asked as a line
                                         {"status", "line", "la1"},  // names are exact
                                         {"warmboot", "LA1"}};
  for (const auto& row : rows) {
    const auto r = runCtl(demoArgs(sim) << row);
    EXPECT_EQ(r.exitCode, 6) << row.join(' ').toStdString();
    expectOneSentence(r);
  }
  for (const auto& command : sim.commandsReceived()) {
    EXPECT_EQ(command.rfind("START", 0), std::string::npos) << command;
    EXPECT_EQ(command.rfind("STOP", 0), std::string::npos) << command;
    EXPECT_EQ(command.rfind("DELIVER", 0), std::string::npos) << command;
  }
}

TEST(NcpctlCommand, EachFailureHasItsExitCodeAndOneSentence) {
  NskSimProcess sim({"--network", TestNetwork::sample().writeFile()});
  ASSERT_TRUE(sim.started());

  auto r = runCtl(demoArgs(sim) << "tree", "wrong\nsecret2\n");
  EXPECT_EQ(r.exitCode, 3);
  expectOneSentence(r);

  r = runCtl(demoArgs(sim) << "tree", "secret1\nwrong\n");
  EXPECT_EQ(r.exitCode, 4);
  expectOneSentence(r);

  // Without a second line the TACL password serves NCP too: refused here.
  r = runCtl(demoArgs(sim) << "tree", "secret1\n");
  EXPECT_EQ(r.exitCode, 4);

  r = runCtl(demoArgs(sim) << "--pathmon"
                           << "$NONE"
                           << "tree");
  EXPECT_EQ(r.exitCode, 4);
  expectOneSentence(r);

  r = runCtl(demoArgs(sim) << "tree", "");
  EXPECT_EQ(r.exitCode, 1);
  expectOneSentence(r);

  for (const QStringList& usage :
       {QStringList{}, QStringList{"frobnicate"}, QStringList{"status", "line"}, QStringList{"--format", "xml", "tree"},
        QStringList{"--password", "x", "tree"}, QStringList{"--ncp-user", "", "tree"}, QStringList{"signon", "X,Y"},
        QStringList{"--user", QString::fromUtf8("ÖPS€"), "tree"}}) {
    r = runCtl(demoArgs(sim) << usage);
    EXPECT_EQ(r.exitCode, 1) << usage.join(' ').toStdString();
    expectOneSentence(r);
  }
}

TEST(NcpctlCommand, ConnectionRefusedOrClosedByTheHostExits2) {
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
  const QString closedPort = "127.0.0.1:" + QString::number(probe.serverPort());
  probe.close();
  auto r = runCtl({"--host", closedPort, "--user", "OPS.OPER", "--password-stdin", "tree"});
  EXPECT_EQ(r.exitCode, 2);
  expectOneSentence(r);

  NskSimProcess closing({"--close-on", "STATUS STATION"});
  ASSERT_TRUE(closing.started());
  r = runCtl(demoArgs(closing) << "tree");
  EXPECT_EQ(r.exitCode, 2);
  expectOneSentence(r);
}

TEST(NcpctlCommand, AHostThatStopsAnsweringEndsTheRunWith5AtTheTimeOut) {
  // Silent after the menu answer, and silent in the middle of the load.
  for (const char* silentOn : {"TACL", "INFO STATION"}) {
    NskSimProcess sim({"--silent-on", silentOn});
    ASSERT_TRUE(sim.started());
    const auto r = runCtl(demoArgs(sim) << "--timeout"
                                        << "1.5"
                                        << "tree",
                          ctltest::kDemoPasswords, 30000);
    EXPECT_EQ(r.exitCode, 5) << silentOn;
    expectOneSentence(r);
  }
}
