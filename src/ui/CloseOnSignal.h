// CloseOnSignal: SIGTERM (a desktop session that ends, kill) and SIGINT
// (Ctrl-C in the terminal) reach the program as an ordinary close, so the
// main window saves its position as when the operator closes it; by default
// they would end the program at once. The signal handler only writes a byte
// to a socket pair that the event loop watches; the handler is then reset,
// so a second signal ends the program at once should the close hang.
//
// One at a time; made by main() on the UI thread.
#pragma once

#include <QObject>
#include <csignal>
#include <functional>

class QSocketNotifier;

class CloseOnSignal : public QObject {
  Q_OBJECT
 public:
  explicit CloseOnSignal(std::function<void()> onSignal, QObject* parent = nullptr);
  // Puts the earlier handlers back.
  ~CloseOnSignal() override;

 private:
  static void handle(int signal);

  std::function<void()> m_onSignal;
  int m_fds[2] = {-1, -1};
  QSocketNotifier* m_notifier = nullptr;
  struct sigaction m_oldTerm {};
  struct sigaction m_oldInt {};
};
