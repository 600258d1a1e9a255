// The console on Windows: no prompt on the terminal (passwords come with
// --password-stdin) and no progress line.
#include <io.h>

#include <cerrno>

#include "ncpctl/ConsolePlatform.h"

namespace consoleplatform {

bool readByte(int fd, char* byte) {
  for (;;) {
    const auto n = _read(fd, byte, 1);
    if (n < 0 && errno == EINTR) continue;
    return n > 0;
  }
}

bool isTerminal(std::FILE*) { return false; }

Terminal openTerminal(std::string* error) {
  *error = "asking for passwords on the console is not available here; use --password-stdin";
  return kNoTerminal;
}

// No terminal is ever opened, so there is none to close, write or quiet.
void closeTerminal(Terminal) {}
bool write(Terminal, const std::string&) { return false; }
void echoOff(Terminal) {}
void echoOn(Terminal) {}

}  // namespace consoleplatform
