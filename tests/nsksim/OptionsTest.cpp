// The simulator's start-up options: credentials, a network read from a file,
// a generated network, and the refusal of bad options and files.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <set>
#include <utility>

#include "SimDialogue.h"
#include "support/NskSimProcess.h"

using namespace simtest;

namespace {

struct SimRun {
  int exitCode;
  std::string stdErr;
};

SimRun runSim(const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral(KORV_NSKSIM_PATH), args);
  process.waitForFinished(10000);
  if (process.state() != QProcess::NotRunning) {
    process.kill();
    process.waitForFinished();
    return {-1, "still running"};
  }
  return {process.exitCode(), process.readAllStandardError().toStdString()};
}

std::set<std::string> names(const std::vector<std::string>& objectLines) {
  std::set<std::string> out;
  for (const std::string& line : objectLines) {
    std::string qualified = col(line, 4, 38);
    qualified.erase(qualified.find_last_not_of(' ') + 1);
    out.insert(qualified);
  }
  return out;
}

}  // namespace

TEST(NskSimOptions, CredentialsComeFromTheOptions) {
  korvtest::NskSimProcess sim(
      {"--tacl-user", "SUPER.OPS", "--tacl-password", "pw1", "--ncp-user", "ADMIN", "--ncp-password", "pw2"});
  ASSERT_TRUE(sim.started());
  {
    RawTelnetClient client(sim.port());
    EXPECT_FALSE(taclLogon(client)) << "the demo defaults no longer work";
  }
  RawTelnetClient client(sim.port());
  ASSERT_FALSE(client.readUntil(kMenuPrompt).empty());
  client.sendLine("TACL");
  ASSERT_FALSE(client.readUntil("TACL 1> ").empty());
  client.sendLine("logon SUPER.OPS");
  ASSERT_FALSE(client.readUntil("Password: ").empty());
  EXPECT_EQ(tacl(client, "pw1").find("*ERROR*"), std::string::npos);
  ASSERT_EQ(lines(tacl(client, "#mysystem"))[1], "\\KORVDEMO");
  ASSERT_FALSE(ncp(client, "NCPCOM $PM01").empty());
  client.sendLine("SET USER ADMIN");
  ASSERT_FALSE(client.readUntil("PASSWORD: ").empty());
  ncp(client, "pw2");
  EXPECT_FALSE(objectLines(ncp(client, "STATUS PROCESS *")).empty());
}

TEST(NskSimOptions, NetworkFileIsServed) {
  QTemporaryDir dir;
  const QString path = dir.filePath("net.txt");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(
      "# a small host\n"
      "system TESTSYS\n"
      "pathmon $ALPHA\n"
      "process PROC1 STARTED\n"
      "line LINEA stopped PROC1   # lower case is fine\n"
      "station STA1 ABNORMAL PROC1 LINEA\n"
      "station STA2 STARTING proc1 linea\n"
      "pathmon $BETA\n"
      "process PROC1 STARTED  # the same name under another pathmon is another object\n"
      "line PROC1 STARTED PROC1\n");
  file.close();
  korvtest::NskSimProcess sim({"--network", path, "--page", "0"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_TRUE(taclLogon(client));
  EXPECT_EQ(lines(tacl(client, "#mysystem"))[1], "\\TESTSYS");
  std::vector<std::string> pathmons;
  for (const std::string& line : lines(tacl(client, "STATUS *, PROG $*.*.PATHMON"))) {
    if (col(line, 10, 10) == "B") pathmons.push_back(col(line, 1, 9));
  }
  EXPECT_EQ(pathmons, (std::vector<std::string>{pad("$ALPHA", 9), pad("$BETA", 9)}));
  RawTelnetClient ncpClient(sim.port());
  ASSERT_TRUE(ncpLogon(ncpClient, "$ALPHA"));
  const auto stations = objectLines(ncp(ncpClient, "STATUS STATION *"));
  ASSERT_EQ(stations.size(), 2u);
  EXPECT_EQ(col(stations[0], 4, 38), pad("\\TESTSYS.$ALPHA.STA1", 35));
  EXPECT_EQ(col(stations[0], 47, 55), pad("ABNORMAL", 9));
  EXPECT_EQ(col(stations[1], 47, 55), pad("STARTING", 9));
  const auto lineObjects = objectLines(ncp(ncpClient, "STATUS LINE *"));
  ASSERT_EQ(lineObjects.size(), 1u);
  EXPECT_EQ(col(lineObjects[0], 47, 55), pad("STOPPED", 9));
}

TEST(NskSimOptions, GeneratedNetworkHasTheAskedStations) {
  for (const int stations : {120, 20000}) {
    SCOPED_TRACE(stations);
    korvtest::NskSimProcess sim({"--stations", QString::number(stations), "--page", "0"});
    ASSERT_TRUE(sim.started());
    RawTelnetClient client(sim.port());
    ASSERT_TRUE(ncpLogon(client));
    const auto stationLines = objectLines(ncp(client, "STATUS STATION *"));
    EXPECT_EQ(names(stationLines).size(), static_cast<size_t>(stations));
    EXPECT_EQ(names(objectLines(ncp(client, "STATUS LINE *"))).size(), static_cast<size_t>(stations));
    const size_t processes = names(objectLines(ncp(client, "STATUS PROCESS *"))).size();
    EXPECT_GE(processes, 1u);
    EXPECT_LE(processes, 300u);
    EXPECT_GE(processes, static_cast<size_t>(stations) / 100);
  }
}

TEST(NskSimOptions, BadOptionsAndNetworkFilesAreRefused) {
  QTemporaryDir dir;
  const auto write = [&](const char* name, const char* text) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return dir.filePath(name);
  };
  const QStringList bad[] = {
      {"--port", "70000"},
      {"--bind", "localhost"},
      {"--page", "-1"},
      {"--hostile-negotiation", "storm"},
      {"--idle-timeout", "-1"},
      {"--stations", "10", "--network", "x"},
      {"--network", dir.filePath("missing.txt")},
      {"--network", write("a.txt", "pathmon $P\nstation S1 STARTED NOPROC NOLINE\n")},
      {"--network", write("b.txt", "pathmon $P\nprocess P1 RUNNING\n")},
      {"--network", write("c.txt", "process P1 STARTED\n")},
      {"--network", write("d.txt", "pathmon $P\nprocess NAME_LONGER_THAN_16 STARTED\n")},
      {"--network", write("f.txt", "pathmon $P\nprocess P1 STARTED\nprocess p1 STOPPED\n")},
      {"--network", write("g.txt", "pathmon $P\nprocess P1 STARTED\nline L1 STARTED P1\nline L1 STARTED P1\n")},
      {"--network", write("h.txt", "pathmon $P\npathmon $Q\npathmon $p\n")},
  };
  for (const QStringList& args : bad) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const SimRun run = runSim(QStringList{"--port", "0"} + args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_FALSE(run.stdErr.empty());
  }
  // A bad file names the line at fault, also after a comment longer than a read, and an overlong line.
  const QByteArray longComment = "#" + QByteArray(4000, 'x') + QByteArray(300, ' ') + "#\n";
  const std::pair<QByteArray, const char*> faults[] = {
      {"\n\npathmon $P\nline L1 STARTED NOPROC\n", ":4:"},
      {"pathmon $P\n" + longComment + "line L1 STARTED NOPROC\n", ":3:"},
      {"pathmon $P\n# " + QByteArray(70000, 'x') + "\n", ":2: line longer than"},
  };
  for (const auto& [text, where] : faults) {
    QFile file(dir.filePath("e.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    const std::string stdErr = runSim({"--network", dir.filePath("e.txt")}).stdErr;
    EXPECT_NE(stdErr.find(where), std::string::npos) << stdErr;
  }
}

TEST(NskSimOptions, LongCommentHidesNoStatement) {
  // The blanks put any read boundary before the statement at the end of the comment.
  QTemporaryDir dir;
  QFile file(dir.filePath("net.txt"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("pathmon $P\nprocess GOOD STARTED\n#" + QByteArray(4000, 'x') + QByteArray(300, ' ') +
             "process EVIL STARTED\n");
  file.close();
  korvtest::NskSimProcess sim({"--network", dir.filePath("net.txt"), "--page", "0"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_TRUE(ncpLogon(client, "$P"));
  EXPECT_EQ(names(objectLines(ncp(client, "STATUS PROCESS *"))), std::set<std::string>{"\\KORVDEMO.$P.GOOD"});
}
