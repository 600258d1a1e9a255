// A STOP clicked during Refresh All, offscreen: the window logs on to HOST
// (the latency relay in front of nsksim), loads $PM01 on its listing
// connections ([Main] Connections as the settings file leaves it, the
// default), then ROUNDS times: Refresh All, and once its listings are out
// (their commands in nsksim's TRANSCRIPT) a STOP on the next started station,
// chosen in the popup as an operator chooses it (the questions off). For each
// round one line: the milliseconds from the click to the STOP line in the
// transcript (read by a thread that follows the file) and to the host's
// answer shown in the status bar, and whether the refresh's listings still ran
// when the answer was shown.
//
// usage: window_stop_bench HOST TRANSCRIPT ROUNDS
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "ncp/ListingPool.h"
#include "ui/IniFile.h"
#include "ui/ObjectPopupMenu.h"
#include "ui/QtTreeNodes.h"
#include "ui/RefreshFollower.h"
#include "ui/TfrmMain.h"

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Follows the transcript from its end: the time the first line that starts
// with the text sought appears.
class TranscriptWatch {
 public:
  explicit TranscriptWatch(const std::string& path) : m_path(path) {}
  ~TranscriptWatch() { stop(); }
  void start(const std::string& sought) {
    stop();
    m_seen = false;
    m_thread = std::thread([this, sought] {
      std::ifstream file(m_path);
      file.seekg(0, std::ios::end);
      std::string line;
      while (!m_quit) {
        if (std::getline(file, line)) {
          if (file.eof()) {
            // A line without its end yet: read it again whole.
            file.clear();
            file.seekg(-static_cast<std::streamoff>(line.size()), std::ios::cur);
          } else if (line.rfind(sought, 0) == 0) {
            m_at = Clock::now();
            m_seen = true;
            return;
          }
          continue;
        }
        file.clear();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    });
  }
  bool seen() const { return m_seen; }
  Clock::time_point at() const { return m_at; }
  void stop() {
    m_quit = true;
    if (m_thread.joinable()) m_thread.join();
    m_quit = false;
  }

 private:
  std::string m_path;
  std::thread m_thread;
  std::atomic<bool> m_quit{false};
  std::atomic<bool> m_seen{false};
  Clock::time_point m_at;
};

size_t linesStarting(const std::string& path, const std::string& text) {
  std::ifstream file(path);
  size_t count = 0;
  for (std::string line; std::getline(file, line);) count += line.rfind(text, 0) == 0;
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: window_stop_bench HOST TRANSCRIPT ROUNDS\n");
    return 2;
  }
  const std::string transcript = argv[2];
  const int rounds = std::atoi(argv[3]);

  // The window's end records actions too: these outlive it.
  Clock::time_point answered;
  bool listingAtAnswer = false;
  QTemporaryDir dir;
  const QString settings = dir.filePath("bench.ini");
  IniFile(settings).writeInteger("Main", "Confirm", 0);
  TfrmMain win(settings);
  win.show();
  QCoreApplication::processEvents();
  TNCPTelnet& session = *win.NCPTelnet;

  // Waits in the event loop, looking every millisecond.
  const auto waitFor = [](const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
      if (done()) loop.quit();
    });
    tick.start(1);
    if (!done()) loop.exec();
  };
  const auto idle = [&] { return session.State() == atsIdle && session.QueueCount() == 0 && !win.Pool()->Busy(); };

  session.OnOperatorAction = [&, onAction = session.OnOperatorAction](const ncp::OperatorAction& action) {
    onAction(action);
    if (action.kind != ncp::ActionKind::Stop) return;
    answered = Clock::now();
    listingAtAnswer = win.Pool()->Busy();
  };

  session.Logon(argv[1], "OPS.OPER", "secret1");
  waitFor([&] { return win.StateHandler()->HostNode() && !win.ObjList()->Items().empty() && idle(); });
  const ExtInfo* pm01 = nullptr;
  for (const auto& entry : win.ObjList()->Items())
    if (entry->NetType == xpPathmon && entry->Name == "$PM01") pm01 = entry.get();
  if (!pm01) return 1;
  const auto loadStart = Clock::now();
  win.StateHandler()->LogonNCP(pm01->Node, "NCPOPER", "secret2");
  waitFor([&] { return win.StateHandler()->NCPLoggedOn() && !win.Follower()->Loading() && idle(); });
  std::printf("load wall_s %.3f connections %zu\n", msBetween(loadStart, Clock::now()) / 1000,
              win.Pool()->Connections() + 1);
  std::fflush(stdout);

  TranscriptWatch watch(transcript);
  size_t next = 0;
  for (int round = 1; round <= rounds; ++round) {
    const ExtInfo* station = nullptr;
    const auto& items = win.ObjList()->Items();
    for (; next < items.size() && !station; ++next)
      if (items[next]->NetType == xpStation && items[next]->Status == nsStarted) station = items[next].get();
    if (!station) return 1;

    const size_t listingsBefore = linesStarting(transcript, "CMD STATUS LINE *");
    const auto refreshStart = Clock::now();
    win.Popup()->RefreshAllClick();
    waitFor([&] { return linesStarting(transcript, "CMD STATUS LINE *") > listingsBefore; });

    QTreeWidgetItem* item = QtTreeNodes::item(station->Node);
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
    win.tvMain->scrollToItem(item);
    win.tvMainContextMenu(win.tvMain->visualItemRect(item).center());
    watch.start("CMD STOP STATION " + station->Name);
    answered = {};
    const auto click = Clock::now();
    win.pMenu->close();
    win.Popup()->Stop->trigger();
    waitFor([&] { return watch.seen() && answered != Clock::time_point{}; });
    const bool listing = listingAtAnswer;
    waitFor([&] { return !win.Follower()->Refreshing() && idle(); });
    std::printf("round %d click_to_host_ms %.1f click_to_answer_ms %.1f listing_at_answer %d refresh_s %.3f\n", round,
                msBetween(click, watch.at()), msBetween(click, answered), listing ? 1 : 0,
                msBetween(refreshStart, Clock::now()) / 1000);
    std::fflush(stdout);
  }
  return 0;
}
