#include "ncpctl/PasswordInput.h"

#include "ncpctl/ConsolePlatform.h"
#include "nsk/OperatorText.h"
#include "nsk/TNSKTelnet.h"

namespace cp = consoleplatform;

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
  while (cp::readByte(fd, &c)) {
    any = true;
    if (c == '\n') break;
    if (text.size() < kMaxLine) text.push_back(c);
  }
  c = 0;
  if (!text.empty() && text.back() == '\r') text.pop_back();
  line = SecretText(std::move(text));
  return any;
}

// Echo goes off before the prompt shows, so nothing typed after it is echoed.
bool ask(cp::Terminal tty, const std::string& prompt, SecretText& answer) {
  cp::QuietAnswer quiet(tty);
  if (!cp::write(tty, prompt)) return false;
  return readLine(tty, answer);
}

// The host reads Latin-1, as it does the user names; a UTF-8 terminal or
// pipe sends "ÿ" as two bytes.
bool toLatin1(Passwords& p, std::string* error) {
  try {
    p.tacl = SecretText(Latin1FromUtf8(p.tacl.text(), "the TACL password"));
    p.ncp = SecretText(Latin1FromUtf8(p.ncp.text(), "the NCP password"));
    return true;
  } catch (const EUnsafeCommandText& e) {
    *error = e.what();
    return false;
  }
}

}  // namespace

std::optional<Passwords> PasswordInput::fromStream(int fd, std::string* error) {
  Passwords p;
  if (!readLine(fd, p.tacl)) {
    *error = "no password on standard input";
    return std::nullopt;
  }
  if (!readLine(fd, p.ncp)) p.ncp = SecretText(std::string(p.tacl.text()));
  if (!toLatin1(p, error)) return std::nullopt;
  return p;
}

std::optional<Passwords> PasswordInput::fromTerminal(const std::string& taclPrompt, const std::string& ncpPrompt,
                                                     bool askNcp, std::string* error) {
  const cp::Terminal tty = cp::openTerminal(error);
  if (tty == cp::kNoTerminal) return std::nullopt;
  Passwords p;
  bool ok = ask(tty, taclPrompt, p.tacl);
  if (ok && askNcp) {
    ok = ask(tty, ncpPrompt, p.ncp);
    if (ok && p.ncp.empty()) p.ncp = SecretText(std::string(p.tacl.text()));
  }
  cp::closeTerminal(tty);
  if (!ok) {
    *error = "no password was given on the terminal";
    return std::nullopt;
  }
  if (!toLatin1(p, error)) return std::nullopt;
  return p;
}
