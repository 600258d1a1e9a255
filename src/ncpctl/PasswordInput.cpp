#include "ncpctl/PasswordInput.h"

#include <cerrno>
#include <iterator>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

// A password line longer than this is cut: nobody types more, and memory stays bounded.
constexpr size_t kMaxLine = 1024;

// Reads one line from fd into line (without CR LF); false at end of input
// before any byte.
bool readLine(int fd, SecretText& line) {
  std::string text;
  text.reserve(kMaxLine);
  bool any = false;
  char c = 0;
  for (;;) {
#ifdef _WIN32
    const auto n = _read(fd, &c, 1);
#else
    const auto n = ::read(fd, &c, 1);
#endif
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    any = true;
    if (c == '\n') break;
    if (text.size() < kMaxLine) text.push_back(c);
  }
  c = 0;
  if (!text.empty() && text.back() == '\r') text.pop_back();
  line = SecretText(std::move(text));
  return any;
}

#ifndef _WIN32
// The terminal whose echo is off and its settings from before, for the
// signal handler: a Ctrl-C or a kill at the prompt must not leave the
// operator's terminal without echo.
volatile sig_atomic_t g_quietTty = -1;
termios g_loudSettings{};

// The signals that end the program by default and that a user or the system
// sends to a waiting prompt.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Async-signal-safe: restores the terminal, then lets the signal do what it
// would have done (end the program, with its status).
extern "C" void restoreEchoAndRaise(int number) {
  if (g_quietTty >= 0) tcsetattr(g_quietTty, TCSANOW, &g_loudSettings);
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  sigaction(number, &byDefault, nullptr);
  raise(number);
}

// Echo off for the time of one answer; restored however the read ends,
// by a signal too.
class EchoOff {
 public:
  explicit EchoOff(int fd) : m_fd(fd) {
    if (tcgetattr(fd, &m_saved) != 0) return;
    g_loudSettings = m_saved;
    g_quietTty = fd;
    catchEndingSignals();
    termios quiet = m_saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    m_active = tcsetattr(fd, TCSAFLUSH, &quiet) == 0;
  }
  ~EchoOff() {
    if (m_active) tcsetattr(m_fd, TCSAFLUSH, &m_saved);
    g_quietTty = -1;
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
      if (m_caught[i]) sigaction(kEndingSignals[i], &m_previous[i], nullptr);
    }
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  void catchEndingSignals() {
    struct sigaction restoring {};
    restoring.sa_handler = restoreEchoAndRaise;
    sigemptyset(&restoring.sa_mask);
    for (int signal : kEndingSignals) sigaddset(&restoring.sa_mask, signal);
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
      // A signal the caller ignores (nohup) stays ignored.
      if (sigaction(kEndingSignals[i], nullptr, &m_previous[i]) != 0 || m_previous[i].sa_handler == SIG_IGN) continue;
      m_caught[i] = sigaction(kEndingSignals[i], &restoring, nullptr) == 0;
    }
  }

  int m_fd;
  termios m_saved{};
  bool m_active = false;
  struct sigaction m_previous[std::size(kEndingSignals)] {};
  bool m_caught[std::size(kEndingSignals)] = {};
};

// Echo goes off before the prompt shows, so nothing typed after it is echoed.
bool ask(int tty, const std::string& prompt, SecretText& answer) {
  EchoOff quiet(tty);
  if (::write(tty, prompt.data(), prompt.size()) < 0) return false;
  return readLine(tty, answer);
}
#endif

}  // namespace

std::optional<Passwords> PasswordInput::fromStream(int fd, std::string* error) {
  Passwords p;
  if (!readLine(fd, p.tacl)) {
    *error = "no password on standard input";
    return std::nullopt;
  }
  if (!readLine(fd, p.ncp)) p.ncp = SecretText(std::string(p.tacl.text()));
  return p;
}

std::optional<Passwords> PasswordInput::fromTerminal(const std::string& taclPrompt, const std::string& ncpPrompt,
                                                     bool askNcp, std::string* error) {
#ifdef _WIN32
  (void)taclPrompt;
  (void)ncpPrompt;
  (void)askNcp;
  *error = "asking for passwords on the console is not available here; use --password-stdin";
  return std::nullopt;
#else
  const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
  if (tty < 0) {
    *error = "there is no terminal to ask for the password; use --password-stdin";
    return std::nullopt;
  }
  Passwords p;
  bool ok = ask(tty, taclPrompt, p.tacl);
  if (ok && askNcp) {
    ok = ask(tty, ncpPrompt, p.ncp);
    if (ok && p.ncp.empty()) p.ncp = SecretText(std::string(p.tacl.text()));
  }
  ::close(tty);
  if (!ok) {
    *error = "no password was given on the terminal";
    return std::nullopt;
  }
  return p;
#endif
}
