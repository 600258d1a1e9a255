#include "ncpctl/PasswordInput.h"

#include <cerrno>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
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
// Echo off for the time of one answer; restored however the read ends.
class EchoOff {
 public:
  explicit EchoOff(int fd) : m_fd(fd) {
    if (tcgetattr(fd, &m_saved) != 0) return;
    termios quiet = m_saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    m_active = tcsetattr(fd, TCSAFLUSH, &quiet) == 0;
  }
  ~EchoOff() {
    if (m_active) tcsetattr(m_fd, TCSAFLUSH, &m_saved);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  int m_fd;
  termios m_saved{};
  bool m_active = false;
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
  if (!readLine(fd, p.ncp)) p.ncp = SecretText(p.tacl.text());
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
    if (ok && p.ncp.empty()) p.ncp = SecretText(p.tacl.text());
  }
  ::close(tty);
  if (!ok) {
    *error = "no password was given on the terminal";
    return std::nullopt;
  }
  return p;
#endif
}
