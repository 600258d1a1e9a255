// watch: refreshes every interval, prints each status change once (a line
// shared by two stations is one change), with an ISO 8601 time, and stops
// after --count refreshes. The changes are made by a second ncpctl on another
// connection to the same simulated host.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

#include "CtlRun.h"
#include "TestNetwork.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;

namespace {

size_t refreshesSeen(const NskSimProcess& sim) {
  const auto commands = sim.commandsReceived();
  return static_cast<size_t>(std::count(commands.begin(), commands.end(), "STATUS PROCESS *"));
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  for (const QString& l : QString::fromStdString(text).split('\n', Qt::SkipEmptyParts)) out.push_back(l.toStdString());
  return out;
}

const QRegularExpression kIsoTime(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$)");

// The host closes a connection idle for a second: the watch's, between two
// refreshes an hour apart.
QStringList idleClosingHost(const QStringList& more = {}) {
  return QStringList{"--network", ctltest::TestNetwork::sample().writeFile(), "--idle-timeout", "1"} + more;
}

QStringList lostWatchArgs(const NskSimProcess& sim, const QString& audit) {
  return ctltest::demoArgs(sim) << "--connections"
                                << "1"
                                << "--audit-file" << audit << "watch"
                                << "--interval"
                                << "3600";
}

}  // namespace

TEST(NcpctlWatch, PrintsEachChangeOnceAndStopsAfterCountRefreshes) {
  NskSimProcess sim({"--network", ctltest::TestNetwork::sample().writeFile()});
  ASSERT_TRUE(sim.started());
  const int count = 30;
  auto watch = ctltest::startCtl(ctltest::demoArgs(sim) << "watch"
                                                        << "--interval"
                                                        << "0.2"
                                                        << "--count" << QString::number(count));
  // The load and a first refresh: the watch has its first picture.
  ASSERT_TRUE(korvtest::waitUntil([&] { return refreshesSeen(sim) >= 2; }, 30000));
  ASSERT_EQ(ctltest::runCtl(ctltest::demoArgs(sim) << "stop"
                                                   << "station"
                                                   << "SA1")
                .exitCode,
            0);
  ASSERT_EQ(ctltest::runCtl(ctltest::demoArgs(sim) << "stop"
                                                   << "line"
                                                   << "LA1")
                .exitCode,
            0);
  const auto r = ctltest::finishCtl(*watch);
  ASSERT_EQ(r.exitCode, 0) << r.err;

  const auto out = lines(r.out);
  ASSERT_EQ(out.size(), 2u) << r.out;
  std::vector<std::string> changes;
  for (const auto& line : out) {
    const QStringList words = QString::fromStdString(line).split(' ');
    ASSERT_EQ(words.size(), 6) << line;
    EXPECT_TRUE(kIsoTime.match(words[0]).hasMatch()) << line;
    changes.push_back(words.mid(1).join(' ').toStdString());
  }
  std::sort(changes.begin(), changes.end());
  EXPECT_EQ(changes, (std::vector<std::string>{"line LA1 STARTED -> STOPPED", "station SA1 STARTED -> STOPPED"}));
  // Our load, count refreshes, and one load for each of the two stop runs.
  EXPECT_EQ(refreshesSeen(sim), static_cast<size_t>(1 + count + 2));
}

TEST(NcpctlWatch, JsonPrintsOneObjectPerChangePerLine) {
  NskSimProcess sim({"--network", ctltest::TestNetwork::sample().writeFile()});
  ASSERT_TRUE(sim.started());
  auto watch = ctltest::startCtl(ctltest::demoArgs(sim) << "--format"
                                                        << "json"
                                                        << "watch"
                                                        << "--interval"
                                                        << "0.2"
                                                        << "--count"
                                                        << "20");
  ASSERT_TRUE(korvtest::waitUntil([&] { return refreshesSeen(sim) >= 2; }, 30000));
  ASSERT_EQ(ctltest::runCtl(ctltest::demoArgs(sim) << "start"
                                                   << "process"
                                                   << "PROCB")
                .exitCode,
            0);
  const auto r = ctltest::finishCtl(*watch);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto out = lines(r.out);
  ASSERT_EQ(out.size(), 1u) << r.out;
  QJsonParseError error{};
  const QJsonObject change = QJsonDocument::fromJson(QByteArray::fromStdString(out[0]), &error).object();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << out[0];
  EXPECT_TRUE(kIsoTime.match(change["time"].toString()).hasMatch()) << out[0];
  EXPECT_EQ(change["type"].toString(), "process");
  EXPECT_EQ(change["name"].toString(), "PROCB");
  EXPECT_EQ(change["previous"].toString(), "STOPPED");
  EXPECT_EQ(change["status"].toString(), "STARTED");
  EXPECT_EQ(change["text"].toString(), "(Started) PROCB");
}

TEST(NcpctlWatch, ALostConnectionComesBackAndTellsWhatChangedMeanwhile) {
  NskSimProcess sim(idleClosingHost());
  ASSERT_TRUE(sim.started());
  QTemporaryDir dir;
  const QString audit = dir.filePath("audit.jsonl");
  auto watch = ctltest::startCtl(lostWatchArgs(sim, audit));
  std::string out, err;
  const auto read = [&] {
    out += watch->readAllStandardOutput().toStdString();
    err += watch->readAllStandardError().toStdString();
  };
  ASSERT_TRUE(korvtest::waitUntil([&] { return read(), err.find("connecting again") != std::string::npos; }, 30000))
      << err;
  ASSERT_EQ(ctltest::runCtl(ctltest::demoArgs(sim) << "stop"
                                                   << "station"
                                                   << "SA1")
                .exitCode,
            0);
  ASSERT_TRUE(korvtest::waitUntil(
      [&] { return read(), out.find("station SA1 STARTED -> STOPPED") != std::string::npos; }, 60000))
      << err;
  watch->kill();
  watch->waitForFinished();
  read();
  EXPECT_NE(err.find("connected again to"), std::string::npos) << err;
  QFile file(audit);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray records = file.readAll();
  EXPECT_TRUE(records.contains(R"("action":"reconnect")")) << records.toStdString();
  for (const QByteArray& written : {records, QByteArray::fromStdString(out + err)}) {
    EXPECT_FALSE(written.contains("secret1"));
    EXPECT_FALSE(written.contains("secret2"));
  }
}

TEST(NcpctlWatch, ARefusedLogonAfterALossEndsTheRun) {
  // The password changed after the first logon.
  NskSimProcess sim(idleClosingHost({"--accept-logons", "1"}));
  ASSERT_TRUE(sim.started());
  QTemporaryDir dir;
  auto watch = ctltest::startCtl(lostWatchArgs(sim, dir.filePath("audit.jsonl")));
  const auto r = ctltest::finishCtl(*watch);
  EXPECT_EQ(r.exitCode, 3) << r.err;
  EXPECT_EQ(QString::fromStdString(r.err).count("connecting again"), 1) << r.err;
}
