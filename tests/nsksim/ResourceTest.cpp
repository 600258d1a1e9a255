// The simulator's own limits: a client idle for too long is closed, and when
// file descriptors run out new clients wait without the simulator spinning.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "SimDialogue.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using namespace simtest;

namespace {

// User and system CPU time the process has used, from /proc/PID/stat.
double cpuSeconds(qint64 pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The fields after the command name start with the state (field 3); utime and stime are 14 and 15.
  std::istringstream fields(stat.substr(stat.rfind(')') + 1));
  std::string field;
  long long ticks = 0;
  for (int number = 3; number <= 15 && fields >> field; ++number) {
    if (number >= 14) ticks += std::stoll(field);
  }
  return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

qsizetype openDescriptors(qint64 pid) {
  const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
  return fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
}

}  // namespace

TEST(NskSimResources, IdleClientIsClosed) {
  korvtest::NskSimProcess sim({"--idle-timeout", "1"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_FALSE(client.readUntil(kMenuPrompt).empty());
  EXPECT_FALSE(client.readUntil("Idle for 1 seconds: connection closed\r\n", 60000).empty());
  EXPECT_TRUE(client.waitClosed(60000));
}

TEST(NskSimResources, OutOfDescriptorsWaitsWithoutSpinning) {
  constexpr int kDescriptors = 32;
  QProcess sim;
  // The idle time-out is longer than the host's wait for the negotiation, so a
  // client accepted late gets its menu before it can count as idle.
  sim.start("sh", {"-c", QStringLiteral("ulimit -n %1 && exec \"$0\" --port 0 --idle-timeout 3").arg(kDescriptors),
                   QStringLiteral(KORV_NSKSIM_PATH)});
  while (!sim.canReadLine() && sim.waitForReadyRead(10000)) {
  }
  const quint16 port = sim.readLine().trimmed().toUShort();
  ASSERT_NE(port, 0);
  const qint64 pid = sim.processId();
  // More clients than descriptors: the last ones wait in the listen backlog.
  std::vector<std::unique_ptr<RawTelnetClient>> clients;
  for (int i = 0; i < kDescriptors; ++i) clients.push_back(std::make_unique<RawTelnetClient>(port, false));
  ASSERT_TRUE(korvtest::waitUntil([&] { return openDescriptors(pid) >= kDescriptors; }, 30000));
  const double before = cpuSeconds(pid);
  // Served once the first clients are closed for idling; until then nothing happens.
  EXPECT_FALSE(clients.back()->readUntil(kMenuPrompt, 60000).empty());
  // A busy loop takes a whole core for those seconds.
  EXPECT_LT(cpuSeconds(pid) - before, 0.3) << "CPU seconds while saturated";
  sim.kill();
  sim.waitForFinished();
}
