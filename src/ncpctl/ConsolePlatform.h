// ConsolePlatform: the operating system's terminal behind one small interface.
//
// PasswordInput and NcpCtl call only these functions, so they hold no
// system-specific code. ConsolePlatformPosix.cpp is the implementation built
// here; ConsolePlatformWindows.cpp keeps what the console can do on Windows
// (no prompt on the terminal, no progress line). CMake picks one by platform.
#pragma once

#include <cstdio>
#include <string>

namespace consoleplatform {

using Terminal = int;
constexpr Terminal kNoTerminal = -1;

// One byte from fd; false at the end of input or on an error. A read a
// signal interrupts is tried again.
bool readByte(int fd, char* byte);
// Whether the stream is an interactive terminal (a person watches it).
bool isTerminal(std::FILE* file);

// The controlling terminal, even when standard input and output are pipes;
// kNoTerminal with one sentence in *error when there is none to ask on.
Terminal openTerminal(std::string* error);
void closeTerminal(Terminal terminal);
bool write(Terminal terminal, const std::string& text);

// Echo off until echoOn. A signal that ends the program in between restores
// the terminal first, so a Ctrl-C or a kill at a password prompt never leaves
// the operator's terminal without echo; a Ctrl-Z restores it while the
// program is stopped and turns echo off again when it continues. One
// terminal at a time.
void echoOff(Terminal terminal);
void echoOn(Terminal terminal);

// Echo off for the time of one answer; restored however the read ends.
class QuietAnswer {
 public:
  explicit QuietAnswer(Terminal terminal) : m_terminal(terminal) { echoOff(terminal); }
  ~QuietAnswer() { echoOn(m_terminal); }
  QuietAnswer(const QuietAnswer&) = delete;
  QuietAnswer& operator=(const QuietAnswer&) = delete;

 private:
  Terminal m_terminal;
};

}  // namespace consoleplatform
