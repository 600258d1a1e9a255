#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

#include "ncpctl/ConsolePlatform.h"

namespace consoleplatform {

namespace {

// The terminal whose echo is off and its settings from before, for the
// signal handler.
volatile sig_atomic_t g_quietTty = -1;
termios g_loudSettings{};
bool g_echoIsOff = false;

// The signals that end the program by default and that a user or the system
// sends to a waiting prompt, and how the program handled them before echoOff.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction g_previous[std::size(kEndingSignals)]{};
bool g_caught[std::size(kEndingSignals)] = {};

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

void catchEndingSignals() {
  struct sigaction restoring {};
  restoring.sa_handler = restoreEchoAndRaise;
  sigemptyset(&restoring.sa_mask);
  for (int signal : kEndingSignals) sigaddset(&restoring.sa_mask, signal);
  for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
    // A signal the caller ignores (nohup) stays ignored.
    if (sigaction(kEndingSignals[i], nullptr, &g_previous[i]) != 0 || g_previous[i].sa_handler == SIG_IGN) continue;
    g_caught[i] = sigaction(kEndingSignals[i], &restoring, nullptr) == 0;
  }
}

void releaseEndingSignals() {
  for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
    if (g_caught[i]) sigaction(kEndingSignals[i], &g_previous[i], nullptr);
    g_caught[i] = false;
  }
}

}  // namespace

bool readByte(int fd, char* byte) {
  for (;;) {
    const ssize_t n = ::read(fd, byte, 1);
    if (n < 0 && errno == EINTR) continue;
    return n > 0;
  }
}

bool isTerminal(std::FILE* file) { return file && isatty(fileno(file)); }

Terminal openTerminal(std::string* error) {
  const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
  if (tty < 0) {
    *error = "there is no terminal to ask for the password; use --password-stdin";
    return kNoTerminal;
  }
  return tty;
}

void closeTerminal(Terminal terminal) { ::close(terminal); }

bool write(Terminal terminal, const std::string& text) { return ::write(terminal, text.data(), text.size()) >= 0; }

void echoOff(Terminal terminal) {
  termios saved{};
  if (tcgetattr(terminal, &saved) != 0) return;
  g_loudSettings = saved;
  g_quietTty = terminal;
  catchEndingSignals();
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  quiet.c_lflag |= ECHONL;
  g_echoIsOff = tcsetattr(terminal, TCSAFLUSH, &quiet) == 0;
}

void echoOn(Terminal terminal) {
  if (g_echoIsOff) tcsetattr(terminal, TCSAFLUSH, &g_loudSettings);
  g_echoIsOff = false;
  g_quietTty = -1;
  releaseEndingSignals();
}

}  // namespace consoleplatform
