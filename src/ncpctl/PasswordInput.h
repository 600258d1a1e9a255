// PasswordInput: where ncpctl gets its two passwords (TACL, then NCP).
//
// From standard input (--password-stdin): the first line is the TACL password,
// the second the NCP password, the TACL one again when there is no second
// line. Otherwise from the terminal (/dev/tty) with echo switched off, so they
// work even when standard input and output are pipes. Never from the command
// line or a file of the program's; buffers are wiped after use. Both are read
// as UTF-8 and go to the host in Latin-1; a character outside it is refused.
//
// Called once by main() before anything is sent.
#pragma once

#include <optional>
#include <string>

#include "nsk/SecretText.h"

struct Passwords {
  SecretText tacl;
  SecretText ncp;
};

class PasswordInput {
 public:
  // Reads both lines from fd (normally standard input). nullopt with one
  // sentence in *error when there is no first line.
  static std::optional<Passwords> fromStream(int fd, std::string* error);
  // Asks on the terminal; the NCP password only when askNcp (an empty answer
  // there means the TACL password). nullopt with *error when there is no
  // terminal.
  static std::optional<Passwords> fromTerminal(const std::string& taclPrompt, const std::string& ncpPrompt, bool askNcp,
                                               std::string* error);
};
