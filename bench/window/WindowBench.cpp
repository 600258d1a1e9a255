// The main window against a running simulator, offscreen: the TACL logon, the
// NCP logon with the full load of $PM01, then Refresh All, then a find typed
// key by key and cleared. For each phase one line: wall and CPU seconds of
// this process, growth of its resident memory, and the longest gap of a 10 ms
// timer (the longest the event loop stalled). The loaded tree is written to
// DUMP in `ncpctl tree`'s text form, for run.sh to compare. With SCREENSHOT,
// three stations are stopped and the network refreshed, the find shows
// FIND_TEXT with its first match selected, and the window is saved as a
// picture (the README's). The environment's CONNECTIONS, when set, is the
// settings file's [Main] Connections (1: the operator's connection alone).
// With HOSTS (ports of further simulators, blank-separated) the load opens
// this host and those as an estate, $PM01 of each, and its line is "estate"
// (bench/window/hosts.sh).
//
// usage: window_bench PORT DUMP [FIND_TEXT [SCREENSHOT]]
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <functional>

#include "ncp/ListingPool.h"
#include "ncpctl/NodeWriter.h"
#include "ui/ChangesPanel.h"
#include "ui/EstateSettings.h"
#include "ui/IniFile.h"
#include "ui/ObjectPopupMenu.h"
#include "ui/RefreshFollower.h"
#include "ui/TfrmAuth.h"
#include "ui/TfrmMain.h"
#include "ui/TreeFind.h"

namespace {

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long residentKiB() {
  long pages = 0;
  long resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The longest gap between two ticks of a 10 ms timer since the last reset.
class StallMeter {
 public:
  StallMeter() {
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { m_longest = std::max(m_longest, m_since.restart()); });
    m_timer.start(10);
  }
  void reset() {
    m_longest = 0;
    m_since.restart();
  }
  qint64 longestMs() {
    m_longest = std::max(m_longest, m_since.elapsed());
    return m_longest;
  }

 private:
  QTimer m_timer;
  QElapsedTimer m_since;
  qint64 m_longest = 0;
};

struct Phase {
  QElapsedTimer wall;
  double cpu = cpuSeconds();
  long rss = residentKiB();
  Phase() { wall.start(); }
  void report(const char* name, StallMeter& stall) const {
    std::printf("%-8s wall_s %.3f cpu_s %.3f growth_mib %.1f stall_ms %lld\n", name, double(wall.nsecsElapsed()) / 1e9,
                cpuSeconds() - cpu, double(residentKiB() - rss) / 1024.0, static_cast<long long>(stall.longestMs()));
    std::fflush(stdout);
  }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: window_bench PORT DUMP [FIND_TEXT]\n");
    return 2;
  }
  const std::string host = "127.0.0.1:" + std::string(argv[1]);
  const QString findText = argc > 3 ? QString::fromLatin1(argv[3]) : QString("S012345");
  // The ports of further hosts: the load opens them all as an estate.
  const QStringList extraHosts = QString::fromLocal8Bit(qgetenv("HOSTS")).split(' ', Qt::SkipEmptyParts);

  QTemporaryDir dir;
  if (const QByteArray connections = qgetenv("CONNECTIONS"); !connections.isEmpty())
    IniFile(dir.filePath("bench.ini")).writeInteger("Main", "Connections", connections.toInt());
  TfrmMain win(dir.filePath("bench.ini"));
  win.show();
  QCoreApplication::processEvents();

  // Waits, in the event loop, until done() holds after a session event or
  // the end of a load or refresh (which may run on the listing connections).
  TNCPTelnet& session = *win.NCPTelnet;
  QEventLoop loop;
  std::function<bool()> done;
  const auto check = [&] {
    if (done && done()) QTimer::singleShot(0, &loop, [&] { loop.quit(); });
  };
  const auto onCommand = session.OnCommand;
  session.OnCommand = [&](TTnCnx* sender, int count, TNSKTelnetState state) {
    onCommand(sender, count, state);
    check();
  };
  QObject::connect(win.Follower(), &RefreshFollower::Refreshed, check);
  const auto idle = [&] { return session.State() == atsIdle && session.QueueCount() == 0 && !win.Pool()->Busy(); };
  const auto waitFor = [&](std::function<bool()> pred) {
    done = std::move(pred);
    if (!done()) loop.exec();
    done = nullptr;
  };

  StallMeter stall;
  stall.reset();
  Phase load;
  if (extraHosts.isEmpty()) {
    session.Logon(host, "OPS.OPER", "secret1");
    waitFor([&] { return win.StateHandler()->HostNode() && !win.ObjList()->Items().empty() && idle(); });
    ncp::TreeNode* pm01 = nullptr;
    for (const auto& entry : win.ObjList()->Items())
      if (entry->NetType == xpPathmon && entry->Name == "$PM01") pm01 = entry->Node;
    if (!pm01) return 1;
    win.StateHandler()->LogonNCP(pm01, "NCPOPER", "secret2");
    waitFor([&] { return win.StateHandler()->NCPLoggedOn() && !win.Follower()->Loading() && idle(); });
  } else {
    // This host and the others as an estate, $PM01 of each, opened as the
    // operator opens it: every password dialog answered as it opens. Their
    // connections' events do not pass this session: polled.
    Estate estate{"bench", {}};
    for (const QString& port : QStringList{argv[1]} + extraHosts)
      estate.hosts.push_back({"127.0.0.1:" + port.toStdString(), "OPS.OPER", {"$PM01"}, false, "NCPOPER"});
    EstateSettings(dir.filePath("bench.ini")).write(estate);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      TfrmAuth* dialog = win.frmAuth;
      if (dialog->isVisible() && dialog->edPasswd->text().isEmpty()) {
        dialog->edPasswd->setText(dialog->LoginMode() == TLoginMode::lmTACL ? "secret1" : "secret2");
        dialog->done(TfrmAuth::mrOk);
      }
      check();
    });
    poll.start(20);
    win.OpenEstate("bench");
    waitFor([&] {
      return win.tvMain->topLevelItemCount() == extraHosts.size() + 1 && win.StateHandler()->NCPLoggedOn() &&
             win.MoreConnections() == size_t(extraHosts.size()) && win.AllIdle();
    });
  }
  QCoreApplication::processEvents();
  load.report(extraHosts.isEmpty() ? "load" : "estate", stall);

  {
    std::string out;
    NodeWriter(*win.ObjList()).appendText(out, *win.StateHandler()->HostNode());
    QFile dump(QString::fromLocal8Bit(argv[2]));
    if (!dump.open(QIODevice::WriteOnly)) return 1;
    dump.write(out.data(), qint64(out.size()));
  }

  stall.reset();
  Phase refresh;
  win.Popup()->RefreshAllClick();
  waitFor([&] { return !win.Follower()->Refreshing() && idle(); });
  QCoreApplication::processEvents();
  refresh.report("refresh", stall);

  if (auto* find = win.findChild<QLineEdit*>("edFind")) {
    stall.reset();
    Phase typing;
    qint64 longestKey = 0;
    for (int n = 1; n <= findText.size() + 1; ++n) {
      QElapsedTimer key;
      key.start();
      find->setText(n <= findText.size() ? findText.left(n) : QString());
      QCoreApplication::processEvents();
      longestKey = std::max(longestKey, key.elapsed());
    }
    typing.report("find", stall);
    std::printf("find     longest_key_ms %lld\n", static_cast<long long>(longestKey));
  }

  if (argc > 4) {
    for (const char* station : {"S000121", "S000124", "S000127"})
      session.Perform(ncp::NcpAction::Stop, xpStation, station);
    waitFor(idle);
    win.Popup()->RefreshAllClick();
    waitFor(idle);
    while (win.Follower()->Refreshing()) QCoreApplication::processEvents();
    win.resize(1004, 600);
    win.spMain->setSizes({300, 704});
    win.resizeDocks({win.dkChanges}, {130}, Qt::Vertical);
    win.pnlFind->edFind->setText(findText);
    win.pnlFind->SelectNext();
    QTimer::singleShot(300, &loop, [&] { loop.quit(); });
    loop.exec();
    if (!win.grab().save(QString::fromLocal8Bit(argv[4]))) return 1;
  }
  return 0;
}
