#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

#include "ncpctl/ConsolePlatform.h"

namespace consoleplatform {

namespace {

// The terminal whose echo is off, its settings from before and its quiet
// ones, for the signal handlers.
volatile sig_atomic_t g_quietTty = -1;
termios g_loudSettings{};
termios g_quietSettings{};
bool g_echoIsOff = false;

// The signals that end or stop the program by default and that a user or the
// system sends to a waiting prompt (Ctrl-C, Ctrl-Z, kill), and how the program
// handled them before echoOff.
constexpr int kPromptSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
struct sigaction g_previous[std::size(kPromptSignals)]{};
bool g_caught[std::size(kPromptSignals)] = {};

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

// Async-signal-safe: Ctrl-Z gives the terminal back as it was while the
// program is stopped; once continued (SIGCONT) echo goes off again.
extern "C" void restoreEchoAndStop(int number) {
  const int savedErrno = errno;
  if (g_quietTty >= 0) tcsetattr(g_quietTty, TCSANOW, &g_loudSettings);
  struct sigaction byDefault {};
  struct sigaction restoring {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  sigaction(number, &byDefault, &restoring);
  raise(number);
  // The stop takes effect as soon as the signal is no longer blocked: here.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, number);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  sigaction(number, &restoring, nullptr);
  if (g_quietTty >= 0) tcsetattr(g_quietTty, TCSANOW, &g_quietSettings);
  errno = savedErrno;
}

void catchPromptSignals() {
  struct sigaction restoring {};
  sigemptyset(&restoring.sa_mask);
  for (int signal : kPromptSignals) sigaddset(&restoring.sa_mask, signal);
  for (size_t i = 0; i < std::size(kPromptSignals); ++i) {
    // A signal the caller ignores (nohup) stays ignored.
    if (sigaction(kPromptSignals[i], nullptr, &g_previous[i]) != 0 || g_previous[i].sa_handler == SIG_IGN) continue;
    restoring.sa_handler = kPromptSignals[i] == SIGTSTP ? restoreEchoAndStop : restoreEchoAndRaise;
    g_caught[i] = sigaction(kPromptSignals[i], &restoring, nullptr) == 0;
  }
}

void releasePromptSignals() {
  for (size_t i = 0; i < std::size(kPromptSignals); ++i) {
    if (g_caught[i]) sigaction(kPromptSignals[i], &g_previous[i], nullptr);
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
  g_quietSettings = saved;
  g_quietSettings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  g_quietSettings.c_lflag |= ECHONL;
  g_quietTty = terminal;
  catchPromptSignals();
  g_echoIsOff = tcsetattr(terminal, TCSAFLUSH, &g_quietSettings) == 0;
}

void echoOn(Terminal terminal) {
  if (g_echoIsOff) tcsetattr(terminal, TCSAFLUSH, &g_loudSettings);
  g_echoIsOff = false;
  g_quietTty = -1;
  releasePromptSignals();
}

}  // namespace consoleplatform
