// ncpctl metrics against the simulator: what the real promtool accepts, one
// series per object and status with the counts of distinct objects, and
// --textfile replacing the file whole or not at all.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <map>

#include "CtlRun.h"
#include "TestNetwork.h"
#include "ncpctl/MetricsWriter.h"
#include "support/NskSimProcess.h"
#include "support/RowName.h"

using ctltest::runCtl;
using ctltest::TestNetwork;
using korvtest::NskSimProcess;
using korvtest::PrintTo;

namespace {

const char* const kStatuses[] = {"started", "starting", "stopped", "abnormal"};

std::string lower(std::string word) {
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

// promtool's verdict: its exit code, and what it printed.
std::pair<int, QByteArray> promtool(const std::string& exposition) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start("promtool", {"check", "metrics"});
  if (!p.waitForStarted()) return {-1, "promtool is not installed (Debian prometheus)"};
  p.write(QByteArray::fromStdString(exposition));
  p.closeWriteChannel();
  p.waitForFinished(60000);
  return {p.exitCode(), p.readAll()};
}

// Sample lines by their series: "name{labels}" -> value.
std::map<std::string, std::string> samples(const std::string& exposition) {
  std::map<std::string, std::string> series;
  size_t from = 0;
  while (from < exposition.size()) {
    const size_t end = exposition.find('\n', from);
    const std::string line = exposition.substr(from, end - from);
    from = end + 1;
    if (line.empty() || line[0] == '#') continue;
    const size_t blank = line.rfind(' ');
    EXPECT_TRUE(series.emplace(line.substr(0, blank), line.substr(blank + 1)).second) << "twice: " << line;
  }
  return series;
}

}  // namespace

class NcpctlMetricsPromtool : public ::testing::TestWithParam<QStringList> {};

TEST_P(NcpctlMetricsPromtool, AcceptsTheExpositionWithoutAProblem) {
  NskSimProcess sim(GetParam());
  ASSERT_TRUE(sim.started());
  const auto r = runCtl(ctltest::demoArgs(sim) << "metrics");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto [code, said] = promtool(r.out);
  EXPECT_EQ(code, 0) << said.toStdString();
  EXPECT_TRUE(said.isEmpty()) << said.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Networks, NcpctlMetricsPromtool,
                         ::testing::Values(QStringList{}, QStringList{"--stations", "10000", "--page", "0"}));

TEST(NcpctlMetrics, EachObjectHasOneSeriesPerStatusAndIsCountedOnce) {
  const TestNetwork net = TestNetwork::sample();
  NskSimProcess sim({"--network", net.writeFile()});
  ASSERT_TRUE(sim.started());
  const auto r = runCtl(ctltest::demoArgs(sim) << "metrics");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto series = samples(r.out);

  const auto& pm = net.pathmons[0];
  const std::string scope = "{system=\"" + net.system + "\",pathmon=\"" + pm.name + "\",type=\"";
  std::map<std::string, int> counts;
  size_t objects = 0;
  for (const auto& [type, list] :
       {std::pair{"process", &pm.processes}, {"line", &pm.lines}, {"station", &pm.stations}}) {
    for (const auto& o : *list) {
      ++objects;
      ++counts[std::string(type) + "\",status=\"" + lower(o.status)];
      for (const char* status : kStatuses) {
        const std::string key =
            "ncp_object_status" + scope + type + "\",name=\"" + o.name + "\",status=\"" + status + "\"}";
        EXPECT_EQ(series.count(key) ? series.at(key) : "none", status == lower(o.status) ? "1" : "0") << key;
      }
    }
  }
  for (const char* type : {"process", "line", "station"}) {
    for (const char* status : kStatuses) {
      const std::string key = std::string(type) + "\",status=\"" + status;
      EXPECT_EQ(series.at("ncp_objects" + scope + key + "\"}"), std::to_string(counts[key])) << key;
    }
  }
  // The line shared by two stations is one object: nothing beyond the network's own.
  EXPECT_EQ(series.size(), 12 + objects * 4 + 2);
}

TEST(NcpctlMetrics, LabelValuesEscapeBackslashQuoteAndLineFeedAndAreUtf8) {
  std::string out;
  MetricsWriter::appendLabelValue(out, "a\\b\"c\nd\te\xe9");
  EXPECT_EQ(out, "a\\\\b\\\"c\\nd\te\xc3\xa9");
}

TEST(NcpctlMetrics, TextfileAppearsOnlyWholeAndAFailedRunLeavesTheLastOne) {
  NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  QTemporaryDir dir;
  const QString file = dir.filePath("ncp.prom");
  const int watch = inotify_init1(IN_NONBLOCK);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, QFile::encodeName(dir.path()).constData(), IN_ALL_EVENTS), 0);

  for (int round = 0; round < 2; ++round) {  // a new file, then one replaced
    const auto r = runCtl(ctltest::demoArgs(sim) << "metrics"
                                                 << "--textfile" << file);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
  // Under its own name the file was only ever made or renamed into place, never written.
  alignas(inotify_event) char buffer[65536];
  ssize_t length = 0;
  while ((length = read(watch, buffer, sizeof buffer)) > 0) {
    for (char* p = buffer; p < buffer + length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(p);
      if (event->len > 0 && std::string(event->name) == "ncp.prom") {
        EXPECT_EQ(event->mask & ~(IN_CREATE | IN_MOVED_TO), 0u) << std::hex << event->mask;
      }
      p += sizeof(inotify_event) + event->len;
    }
  }
  close(watch);
  QFile written(file);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  const QByteArray whole = written.readAll();
  EXPECT_EQ(promtool(whole.toStdString()).first, 0);

  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
  const QString closedPort = "127.0.0.1:" + QString::number(probe.serverPort());
  probe.close();
  const auto failed = runCtl({"--host", closedPort, "--user", "U", "--password-stdin", "metrics", "--textfile", file});
  EXPECT_EQ(failed.exitCode, 2);
  written.seek(0);
  EXPECT_EQ(written.readAll(), whole);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"ncp.prom"});

  // A file that cannot be written is told before anything is sent.
  NskSimProcess untouched;
  ASSERT_TRUE(untouched.started());
  const auto unwritable = runCtl(ctltest::demoArgs(untouched) << "metrics"
                                                              << "--textfile" << dir.filePath("none/ncp.prom"));
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_EQ(unwritable.err.rfind("ncpctl: cannot write ", 0), 0u) << unwritable.err;
  EXPECT_TRUE(untouched.transcript().empty());
}
